// A dialog built from its template: the controls at their dialog-unit
// positions converted with the base units of the dialog's font, as Windows
// does it, so that the layout of every dialog stays the one of its table.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <map>

namespace res
{
struct CDialogTemplate;
}

struct CDialogBaseUnits
{
    int m_cx; // average character width
    int m_cy; // character cell height
};

// The dialog font: the face and point size of the template. "MS Sans Serif"
// comes from Wine's font files when they are installed, else a sans serif
// font takes its place.
QFont GetDialogFont(const char* pszFaceName, int nPointSize);

// Windows' rule: the width of the 52 letters A-Z a-z divided by 26, plus one,
// halved; the height of the font's character cell.
CDialogBaseUnits GetDialogBaseUnits(const QFont& font);

// A rectangle in dialog units to pixels: x and width times cx / 4, y and
// height times cy / 8, each rounded to the nearest pixel.
QRect MapDialogRect(const QRect& rectDlu, const CDialogBaseUnits& units);

class CDialog : public QDialog
{
public:
    CDialog(const res::CDialogTemplate& dlgTemplate, QWidget* pParent = nullptr);
    ~CDialog() override;

    // Shows the dialog modally over the main window: OnInitDialog, then
    // the loop; returns IDOK (1) or IDCANCEL (2).
    int DoModal();

    // Called once before the dialog is shown; true lets the first control
    // that takes the focus have it.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    QWidget* GetDlgItem(unsigned nID) const;
    void SetDlgItemText(unsigned nID, const QString& strText);
    QString GetDlgItemText(unsigned nID) const;

    const CDialogBaseUnits& GetBaseUnits() const { return m_units; }

protected:
    void done(int nResult) override;
    void reject() override;

private:
    void Build(const res::CDialogTemplate& dlgTemplate);

    CDialogBaseUnits m_units{};
    std::map<unsigned, QWidget*> m_items;
    bool m_bInitialized = false;
};
