#include "doc/TemplateDialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "res/DialogTemplate.h"
#include "res/EditDialogs.h"

namespace
{

// A list that keeps its selection as visible without the focus as with it.
void ShowSelectionAlways(QWidget* pWidget)
{
    QPalette palette = pWidget->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    pWidget->setPalette(palette);
}

QWidget* MakeControl(const res::CControlTemplate& control, QWidget* pParent)
{
    const QString strText = QString::fromUtf8(control.m_pszText);
    switch (control.m_eKind)
    {
    case res::EControlKind::Edit:
    {
        auto* pEdit = new QLineEdit(pParent);
        pEdit->setFrame((control.m_nStyle & res::CS_BORDER) != 0);
        pEdit->setText(strText);
        return pEdit;
    }
    case res::EControlKind::CheckBox:
    {
        auto* pCheck = new QCheckBox(strText, pParent);
        if (control.m_nStyle & res::CS_LEFTTEXT)
        {
            pCheck->setLayoutDirection(Qt::RightToLeft);
        }
        return pCheck;
    }
    case res::EControlKind::ListBox:
    {
        auto* pList = new QListWidget(pParent);
        pList->setSelectionMode((control.m_nStyle & res::CS_SINGLESEL)
                                    ? QAbstractItemView::SingleSelection
                                    : QAbstractItemView::ExtendedSelection);
        pList->setFrameShape((control.m_nStyle & res::CS_BORDER) ? QFrame::StyledPanel
                                                                 : QFrame::NoFrame);
        pList->setVerticalScrollBarPolicy(
            (control.m_nStyle & res::CS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Lines stay where they are put: the table's sorted style applies to
        // lines added at the end, and the dialogs add theirs at given places.
        pList->setSortingEnabled(false);
        return pList;
    }
    case res::EControlKind::ListView:
    {
        auto* pList = new QListWidget(pParent);
        pList->setAccessibleName(strText);
        pList->setSelectionMode((control.m_nStyle & res::CS_SINGLESEL)
                                    ? QAbstractItemView::SingleSelection
                                    : QAbstractItemView::ExtendedSelection);
        pList->setFrameShape((control.m_nStyle & res::CS_BORDER) ? QFrame::StyledPanel
                                                                 : QFrame::NoFrame);
        if (control.m_nStyle & res::CS_SMALLICON)
        {
            // Small icons with their names beside them, arranged in a grid
            // that fills columns from the left or rows from the top.
            pList->setViewMode(QListView::ListMode);
            pList->setIconSize(QSize(16, 16));
            pList->setFlow((control.m_nStyle & res::CS_ALIGNLEFT) ? QListView::TopToBottom
                                                                  : QListView::LeftToRight);
            pList->setWrapping(true);
            pList->setUniformItemSizes(true);
            pList->setMovement(QListView::Static);
        }
        if (control.m_nStyle & res::CS_AUTOARRANGE)
        {
            pList->setResizeMode(QListView::Adjust);
        }
        if (control.m_nStyle & res::CS_SHOWSELALWAYS)
        {
            ShowSelectionAlways(pList);
        }
        return pList;
    }
    default:
        return nullptr;
    }
}

} // namespace

CTemplateDialog::CTemplateDialog(const res::CDialogTemplate& dlgTemplate, QWidget* pParent)
    : CDialog(dlgTemplate, pParent)
{
    BuildControls(dlgTemplate);
}

CTemplateDialog::~CTemplateDialog() = default;

void CTemplateDialog::BuildControls(const res::CDialogTemplate& dlgTemplate)
{
    QWidget* pPrevious = nullptr;
    for (const res::CControlTemplate& control : dlgTemplate.m_controls)
    {
        QWidget* pWidget = CDialog::GetDlgItem(control.m_nID);
        if (pWidget == nullptr)
        {
            pWidget = MakeControl(control, this);
            if (pWidget == nullptr)
            {
                continue; // a text without id: made by the base, never focused
            }
            pWidget->setGeometry(MapDialogRect(
                QRect(control.m_nX, control.m_nY, control.m_nWidth, control.m_nHeight),
                GetBaseUnits()));
            pWidget->setObjectName(QStringLiteral("control%1").arg(control.m_nID));
            // A control without a tab stop still takes the focus when clicked.
            pWidget->setFocusPolicy(Qt::ClickFocus);
        }
        if (control.m_nID != res::IDC_STATIC)
        {
            m_controls[control.m_nID] = pWidget;
        }
        if (auto* pButton = qobject_cast<QPushButton*>(pWidget);
            pButton != nullptr && (control.m_nStyle & res::CS_TABSTOP))
        {
            // A focused button is the one Enter presses.
            pButton->setAutoDefault(true);
        }
        // The tab order is the table's, across the controls of both parts.
        if (control.m_nStyle & res::CS_TABSTOP)
        {
            pWidget->setFocusPolicy(Qt::StrongFocus);
            if (pPrevious != nullptr)
            {
                QWidget::setTabOrder(pPrevious, pWidget);
            }
            pPrevious = pWidget;
        }
    }
}

QWidget* CTemplateDialog::GetControl(unsigned nID) const
{
    const auto it = m_controls.find(nID);
    return it != m_controls.end() ? it->second : nullptr;
}

QString CTemplateDialog::GetControlText(unsigned nID) const
{
    QWidget* pWidget = GetControl(nID);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
    {
        return pEdit->text();
    }
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
    {
        return pButton->text();
    }
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
    {
        return pLabel->text();
    }
    return {};
}

void CTemplateDialog::SetControlText(unsigned nID, const QString& strText)
{
    QWidget* pWidget = GetControl(nID);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
    {
        pEdit->setText(strText);
        pEdit->setCursorPosition(0);
    }
    else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
    {
        pButton->setText(strText);
    }
    else if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
    {
        pLabel->setText(strText);
    }
}

bool CTemplateDialog::IsDlgButtonChecked(unsigned nID) const
{
    auto* pButton = qobject_cast<QAbstractButton*>(GetControl(nID));
    return pButton != nullptr && pButton->isChecked();
}

void CTemplateDialog::CheckDlgButton(unsigned nID, bool bCheck)
{
    if (auto* pButton = qobject_cast<QAbstractButton*>(GetControl(nID)))
    {
        pButton->setChecked(bCheck);
    }
}

void CTemplateDialog::GotoDlgCtrl(unsigned nID)
{
    if (QWidget* pWidget = GetControl(nID))
    {
        pWidget->setFocus(Qt::OtherFocusReason);
    }
}

void CTemplateDialog::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bEnter = pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
    if (bEnter && modifiers == Qt::NoModifier)
    {
        bool bHasDefault = false;
        for (QPushButton* pButton : findChildren<QPushButton*>())
        {
            if (pButton->isVisible() && pButton->isDefault())
            {
                bHasDefault = true;
                break;
            }
        }
        if (!bHasDefault)
        {
            pEvent->accept();
            OnOK();
            return;
        }
    }
    CDialog::keyPressEvent(pEvent);
}
