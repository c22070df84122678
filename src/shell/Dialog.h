// A dialog built from its template: every control of the table (texts, icons,
// buttons, edit boxes, check boxes, list boxes, list views) at its dialog-unit
// position converted with the base units of the dialog's font, as Windows
// does it, with the table's order as tab order.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QStringList>
#include <map>

class QKeyEvent;

namespace res
{
struct CDialogTemplate;
struct CControlTemplate;
} // namespace res

struct CDialogBaseUnits
{
    int m_cx; // average character width
    int m_cy; // character cell height
};

// The dialog font: the face and point size of the template. "MS Sans Serif"
// comes from Wine's font files when they are installed, else a sans serif
// font takes its place.
QFont GetDialogFont(const char* pszFaceName, int nPointSize);

// The font a dialog shows its texts in on a screen of that device pixel
// ratio: the template's, or where its face has only bitmap strikes and the
// screen is scaled, Tahoma (a sans serif font if that is missing) at the same
// point size, narrowed so that none of the texts, the letters and the digits
// is wider than in the template's face.
QFont GetScreenDialogFont(const QFont& font, qreal dRatio, const QStringList& texts);

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

    // The control of the table with that id; null for none.
    QWidget* GetControl(unsigned nID) const;
    // Text of an edit box, a button or a text.
    QString GetControlText(unsigned nID) const;
    void SetControlText(unsigned nID, const QString& strText);

    bool IsDlgButtonChecked(unsigned nID) const;
    void CheckDlgButton(unsigned nID, bool bCheck);

    // Gives the focus to the control nID.
    void GotoDlgCtrl(unsigned nID);

    const CDialogBaseUnits& GetBaseUnits() const { return m_units; }

protected:
    void done(int nResult) override;
    void reject() override;
    // Enter ends the dialog with OK even where the table has no default
    // button, as in every dialog of the platform the tables come from.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void Build(const res::CDialogTemplate& dlgTemplate);
    // The widget of one control; null for a kind no dialog uses.
    QWidget* MakeControl(const res::CControlTemplate& control);

    CDialogBaseUnits m_units{};
    std::map<unsigned, QWidget*> m_controls;
    bool m_bInitialized = false;
};
