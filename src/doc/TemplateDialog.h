// A dialog whose table also holds edit boxes, check boxes, list boxes and
// list views: the base dialog makes the buttons and texts, this one the rest,
// all at their table positions, with the tab order of the table.
#pragma once

#include <map>

#include "framework/Dialog.h"

class CTemplateDialog : public CDialog
{
public:
    explicit CTemplateDialog(const res::CDialogTemplate& dlgTemplate, QWidget* pParent = nullptr);
    ~CTemplateDialog() override;

    // Any control of the table with an id, whichever part made it.
    QWidget* GetControl(unsigned nID) const;

    // Text of an edit box (or of a button or text).
    QString GetControlText(unsigned nID) const;
    void SetControlText(unsigned nID, const QString& strText);

    bool IsDlgButtonChecked(unsigned nID) const;
    void CheckDlgButton(unsigned nID, bool bCheck);

    // Gives the focus to the control nID.
    void GotoDlgCtrl(unsigned nID);

protected:
    // Enter ends the dialog with OK even where the table has no default
    // button, as in every dialog of the platform the tables come from.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void BuildControls(const res::CDialogTemplate& dlgTemplate);

    std::map<unsigned, QWidget*> m_controls;
};
