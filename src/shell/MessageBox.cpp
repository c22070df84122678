#include "shell/MessageBox.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>

#include "res/ShellResources.h"

namespace
{

// The buttons stand in the order the program's users know: Sì, No, Annulla.
class CButtonOrderStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint eHint, const QStyleOption* pOption, const QWidget* pWidget,
                  QStyleHintReturn* pReturn) const override
    {
        if (eHint == QStyle::SH_DialogButtonLayout)
        {
            return QDialogButtonBox::WinLayout;
        }
        return QProxyStyle::styleHint(eHint, pOption, pWidget, pReturn);
    }
};

// Stands centred over the main window: the outermost owner of its parent,
// whichever window of the program that parent is in.
class CCentredMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* pEvent) override
    {
        QMessageBox::showEvent(pEvent); // gives the box its final size
        const QWidget* pMain = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        while (pMain != nullptr && pMain->parentWidget() != nullptr)
        {
            pMain = pMain->parentWidget()->window();
        }
        if (pMain != nullptr && pMain->isVisible() && !pMain->isMinimized())
        {
            // A window's position is that of its frame.
            const QRect rect = frameGeometry();
            move(pMain->frameGeometry().center() - QPoint(rect.width() / 2, rect.height() / 2));
        }
    }
};

} // namespace

EMsgBoxResult ShowMessageBox(QWidget* pParent, const QString& strText, EMsgBoxButtons eButtons,
                             EMsgBoxIcon eIcon)
{
    if (eIcon == EMsgBoxIcon::Default)
    {
        eIcon = eButtons == EMsgBoxButtons::Ok ? EMsgBoxIcon::Exclamation : EMsgBoxIcon::Question;
    }
    CButtonOrderStyle buttonStyle; // outlives the box that uses it
    CCentredMessageBox box(pParent);
    box.setWindowTitle(QString::fromUtf8(res::kAppName));
    box.setText(strText);
    switch (eIcon)
    {
    case EMsgBoxIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case EMsgBoxIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case EMsgBoxIcon::Default:
        break;
    }
    switch (eButtons)
    {
    case EMsgBoxButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case EMsgBoxButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    const struct
    {
        QMessageBox::StandardButton m_eButton;
        const char* m_pszText;
    } kTexts[] = {
        {QMessageBox::Ok, res::kButtonOk},
        {QMessageBox::Yes, res::kButtonYes},
        {QMessageBox::No, res::kButtonNo},
        {QMessageBox::Cancel, res::kButtonCancel},
    };
    for (const auto& text : kTexts)
    {
        if (QAbstractButton* pButton = box.button(text.m_eButton))
        {
            pButton->setText(QString::fromUtf8(text.m_pszText));
        }
    }
    if (auto* pButtons = box.findChild<QDialogButtonBox*>())
    {
        pButtons->setStyle(&buttonStyle);
    }
    switch (box.exec())
    {
    case QMessageBox::Yes:
        return EMsgBoxResult::Yes;
    case QMessageBox::No:
        return EMsgBoxResult::No;
    case QMessageBox::Cancel:
        return EMsgBoxResult::Cancel;
    default:
        return EMsgBoxResult::Ok;
    }
}
