#include "shell/Dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "render/QtFonts.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/ShellResources.h"

namespace
{

constexpr const char* kBaseUnitLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Rounds a * b / c to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long n = static_cast<long long>(a) * b;
    const long long q = (2 * n + (n >= 0 ? c : -c)) / (2LL * c);
    return static_cast<int>(q);
}

void RegisterWineFont(const char* pszFaceName)
{
    struct CFontFile
    {
        const char* m_pszFace;
        const char* m_pszFile;
    };
    static const CFontFile kFiles[] = {
        {"MS Sans Serif", "/usr/share/wine/fonts/ms_sans_serif.ttf"},
    };
    static bool bRegistered[std::size(kFiles)] = {};
    for (std::size_t i = 0; i < std::size(kFiles); ++i)
    {
        if (!bRegistered[i] && QString::fromUtf8(kFiles[i].m_pszFace) == pszFaceName)
        {
            bRegistered[i] = true;
            if (QFile::exists(kFiles[i].m_pszFile))
            {
                QFontDatabase::addApplicationFont(QString::fromUtf8(kFiles[i].m_pszFile));
            }
        }
    }
}

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

QListWidget* MakeList(const res::CControlTemplate& control, QWidget* pParent)
{
    auto* pList = new QListWidget(pParent);
    pList->setSelectionMode((control.m_nStyle & res::CS_SINGLESEL)
                                ? QAbstractItemView::SingleSelection
                                : QAbstractItemView::ExtendedSelection);
    pList->setFrameShape((control.m_nStyle & res::CS_BORDER) ? QFrame::StyledPanel
                                                             : QFrame::NoFrame);
    return pList;
}

} // namespace

QFont GetDialogFont(const char* pszFaceName, int nPointSize)
{
    RegisterWineFont(pszFaceName);
    QFont font(QString::fromUtf8(pszFaceName));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(nPointSize);
    return font;
}

QFont GetScreenDialogFont(const QFont& font, qreal dRatio, const QStringList& texts)
{
    // Qt cannot enlarge a face that has only bitmap strikes: on a scaled
    // screen its glyphs would stay at their 1x size while their places grow.
    if (dRatio == 1.0 || QFontDatabase::isSmoothlyScalable(QFontInfo(font).family()))
    {
        return font;
    }
    RegisterTraceloFonts();
    QFont scalable(QStringLiteral("Tahoma"));
    scalable.setStyleHint(QFont::SansSerif);
    scalable.setPointSizeF(font.pointSizeF());
    // Narrowed where it is wider than the template's face, so that every
    // text keeps to the width its control was made for.
    const QFontMetricsF metricsTemplate(font);
    const QFontMetricsF metricsScalable(scalable);
    qreal dNarrowest = 1.0;
    QStringList samples = texts;
    samples << QString::fromLatin1(kBaseUnitLetters) << QStringLiteral("0123456789 ,.:");
    for (const QString& strText : samples)
    {
        const qreal dWidth = metricsScalable.horizontalAdvance(strText);
        if (dWidth > 0)
        {
            dNarrowest = std::min(dNarrowest, metricsTemplate.horizontalAdvance(strText) / dWidth);
        }
    }
    if (dNarrowest < 1.0)
    {
        scalable.setStretch(std::max(50, static_cast<int>(std::floor(dNarrowest * 100))));
    }
    return scalable;
}

CDialogBaseUnits GetDialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int nWidth = metrics.horizontalAdvance(QString::fromLatin1(kBaseUnitLetters));
    return CDialogBaseUnits{(nWidth / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const QRect& rectDlu, const CDialogBaseUnits& units)
{
    return QRect(MulDiv(rectDlu.x(), units.m_cx, 4), MulDiv(rectDlu.y(), units.m_cy, 8),
                 MulDiv(rectDlu.width(), units.m_cx, 4), MulDiv(rectDlu.height(), units.m_cy, 8));
}

CDialog::CDialog(const res::CDialogTemplate& dlgTemplate, QWidget* pParent) : QDialog(pParent)
{
    Build(dlgTemplate);
}

CDialog::~CDialog() = default;

void CDialog::Build(const res::CDialogTemplate& dlgTemplate)
{
    setObjectName(QStringLiteral("dialog%1").arg(dlgTemplate.m_nID));
    setWindowTitle(QString::fromUtf8(dlgTemplate.m_pszCaption));
    // A modal frame: a caption with its close box, no sizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // The geometry is that of the template's face at 1x, so that a scaled
    // screen shows the same dialog, larger.
    const QFont font = GetDialogFont(dlgTemplate.m_pszFontFace, dlgTemplate.m_nPointSize);
    const QWidget* pOwner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QStringList texts;
    for (const res::CControlTemplate& control : dlgTemplate.m_controls)
    {
        texts << QString::fromUtf8(control.m_pszText).remove(QLatin1Char('&'));
    }
    setFont(GetScreenDialogFont(
        font, pOwner != nullptr ? pOwner->devicePixelRatioF() : qApp->devicePixelRatio(), texts));
    m_units = GetDialogBaseUnits(font);
    const QRect rectClient =
        MapDialogRect(QRect(0, 0, dlgTemplate.m_nWidth, dlgTemplate.m_nHeight), m_units);
    setFixedSize(rectClient.size());

    QWidget* pPrevious = nullptr;
    for (const res::CControlTemplate& control : dlgTemplate.m_controls)
    {
        QWidget* pWidget = MakeControl(control);
        if (pWidget == nullptr)
        {
            continue;
        }
        const QRect rect = MapDialogRect(
            QRect(control.m_nX, control.m_nY, control.m_nWidth, control.m_nHeight), m_units);
        pWidget->setGeometry(rect);
        if (control.m_eKind == res::EControlKind::StaticIcon)
        {
            pWidget->resize(std::max(rect.width(), 32), std::max(rect.height(), 32));
        }
        if (control.m_nID != res::IDC_STATIC)
        {
            pWidget->setObjectName(QStringLiteral("control%1").arg(control.m_nID));
            m_controls[control.m_nID] = pWidget;
        }
        const bool bTabStop = (control.m_nStyle & res::CS_TABSTOP) != 0;
        if (auto* pButton = qobject_cast<QPushButton*>(pWidget))
        {
            // A focused button is the one Enter presses; a button out of the
            // tab order never takes the focus.
            pButton->setAutoDefault(bTabStop);
            pButton->setFocusPolicy(Qt::NoFocus);
        }
        else if (!qobject_cast<QLabel*>(pWidget))
        {
            // A control without a tab stop still takes the focus when clicked.
            pWidget->setFocusPolicy(Qt::ClickFocus);
        }
        if (bTabStop)
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

QWidget* CDialog::MakeControl(const res::CControlTemplate& control)
{
    const QString strText = QString::fromUtf8(control.m_pszText);
    switch (control.m_eKind)
    {
    case res::EControlKind::StaticText:
    {
        auto* pLabel = new QLabel(this);
        pLabel->setTextFormat(Qt::PlainText);
        pLabel->setText(strText);
        pLabel->setWordWrap(true);
        Qt::Alignment align = Qt::AlignTop;
        if (control.m_nStyle & res::CS_RIGHT)
        {
            align |= Qt::AlignRight;
        }
        else if (control.m_nStyle & res::CS_CENTER)
        {
            align |= Qt::AlignHCenter;
        }
        else
        {
            align |= Qt::AlignLeft;
        }
        pLabel->setAlignment(align);
        return pLabel;
    }
    case res::EControlKind::StaticIcon:
    {
        // An icon control keeps the icon's own size (32 by 32) at its top
        // left corner, whatever the template's size.
        auto* pLabel = new QLabel(this);
        const char* pszIcon = res::GetIconPath(strText.toUInt());
        if (pszIcon != nullptr)
        {
            pLabel->setPixmap(QIcon(QString::fromUtf8(pszIcon)).pixmap(32, 32));
        }
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    case res::EControlKind::PushButton:
    case res::EControlKind::DefPushButton:
    {
        auto* pButton = new QPushButton(strText, this);
        pButton->setDefault(control.m_eKind == res::EControlKind::DefPushButton);
        const unsigned nID = control.m_nID;
        QObject::connect(pButton, &QPushButton::clicked, this,
                         [this, nID]
                         {
                             if (nID == res::IDOK)
                             {
                                 OnOK();
                             }
                             else if (nID == res::IDCANCEL)
                             {
                                 OnCancel();
                             }
                         });
        return pButton;
    }
    case res::EControlKind::Edit:
    {
        auto* pEdit = new QLineEdit(this);
        pEdit->setFrame((control.m_nStyle & res::CS_BORDER) != 0);
        pEdit->setText(strText);
        return pEdit;
    }
    case res::EControlKind::CheckBox:
    {
        auto* pCheck = new QCheckBox(strText, this);
        if (control.m_nStyle & res::CS_LEFTTEXT)
        {
            pCheck->setLayoutDirection(Qt::RightToLeft);
        }
        return pCheck;
    }
    case res::EControlKind::ListBox:
    {
        QListWidget* pList = MakeList(control, this);
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
        QListWidget* pList = MakeList(control, this);
        pList->setAccessibleName(strText);
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
    case res::EControlKind::GroupBox:
        break; // no dialog of the program has one
    }
    return nullptr;
}

int CDialog::DoModal()
{
    if (!m_bInitialized)
    {
        m_bInitialized = true;
        if (OnInitDialog())
        {
            for (QWidget* pChild : findChildren<QWidget*>())
            {
                if (pChild->focusPolicy() & Qt::TabFocus)
                {
                    pChild->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        }
    }
    const int nResult = exec();
    return nResult == QDialog::Accepted ? static_cast<int>(res::IDOK)
                                        : static_cast<int>(res::IDCANCEL);
}

bool CDialog::OnInitDialog()
{
    return true;
}

void CDialog::OnOK()
{
    QDialog::done(QDialog::Accepted);
}

void CDialog::OnCancel()
{
    QDialog::done(QDialog::Rejected);
}

void CDialog::done(int nResult)
{
    // Enter on the default button, Escape and the close box end here: they
    // are the dialog's own OK and Cancel.
    if (nResult == QDialog::Accepted)
    {
        OnOK();
    }
    else
    {
        OnCancel();
    }
}

void CDialog::reject()
{
    OnCancel();
}

QWidget* CDialog::GetControl(unsigned nID) const
{
    const auto it = m_controls.find(nID);
    return it != m_controls.end() ? it->second : nullptr;
}

QString CDialog::GetControlText(unsigned nID) const
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

void CDialog::SetControlText(unsigned nID, const QString& strText)
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

bool CDialog::IsDlgButtonChecked(unsigned nID) const
{
    auto* pButton = qobject_cast<QAbstractButton*>(GetControl(nID));
    return pButton != nullptr && pButton->isChecked();
}

void CDialog::CheckDlgButton(unsigned nID, bool bCheck)
{
    if (auto* pButton = qobject_cast<QAbstractButton*>(GetControl(nID)))
    {
        pButton->setChecked(bCheck);
    }
}

void CDialog::GotoDlgCtrl(unsigned nID)
{
    if (QWidget* pWidget = GetControl(nID))
    {
        pWidget->setFocus(Qt::OtherFocusReason);
    }
}

void CDialog::keyPressEvent(QKeyEvent* pEvent)
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
    QDialog::keyPressEvent(pEvent);
}
