#include "framework/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include "res/ShellResources.h"

EMsgBoxResult AfxMessageBox(const QString& strText, EMsgBoxButtons eButtons, EMsgBoxIcon eIcon,
                            QWidget* pParent)
{
    if (pParent == nullptr)
    {
        pParent = QApplication::activeWindow();
    }
    if (eIcon == EMsgBoxIcon::Default)
    {
        eIcon = eButtons == EMsgBoxButtons::Ok ? EMsgBoxIcon::Exclamation : EMsgBoxIcon::Question;
    }
    QMessageBox box(pParent);
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
    case EMsgBoxIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case EMsgBoxIcon::Stop:
        box.setIcon(QMessageBox::Critical);
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
    case EMsgBoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
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
    switch (box.exec())
    {
    case QMessageBox::Yes:
        return EMsgBoxResult::Yes;
    case QMessageBox::No:
        return EMsgBoxResult::No;
    case QMessageBox::Cancel:
        return EMsgBoxResult::Cancel;
    default:
        return eButtons == EMsgBoxButtons::YesNo ? EMsgBoxResult::No : EMsgBoxResult::Ok;
    }
}
