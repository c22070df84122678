#include "framework/Dialog.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "framework/MDIFrameWnd.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/ShellResources.h"

namespace
{

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

} // namespace

QFont GetDialogFont(const char* pszFaceName, int nPointSize)
{
    RegisterWineFont(pszFaceName);
    QFont font(QString::fromUtf8(pszFaceName));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(nPointSize);
    return font;
}

CDialogBaseUnits GetDialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int nWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return CDialogBaseUnits{(nWidth / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const QRect& rectDlu, const CDialogBaseUnits& units)
{
    return QRect(MulDiv(rectDlu.x(), units.m_cx, 4), MulDiv(rectDlu.y(), units.m_cy, 8),
                 MulDiv(rectDlu.width(), units.m_cx, 4), MulDiv(rectDlu.height(), units.m_cy, 8));
}

CDialog::CDialog(const res::CDialogTemplate& dlgTemplate, QWidget* pParent)
    : QDialog(pParent != nullptr ? pParent : AfxGetMainWnd())
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
    const QFont font = GetDialogFont(dlgTemplate.m_pszFontFace, dlgTemplate.m_nPointSize);
    setFont(font);
    m_units = GetDialogBaseUnits(font);
    const QRect rectClient =
        MapDialogRect(QRect(0, 0, dlgTemplate.m_nWidth, dlgTemplate.m_nHeight), m_units);
    setFixedSize(rectClient.size());

    QWidget* pPrevious = nullptr;
    for (const res::CControlTemplate& control : dlgTemplate.m_controls)
    {
        const QRect rect = MapDialogRect(
            QRect(control.m_nX, control.m_nY, control.m_nWidth, control.m_nHeight), m_units);
        const QString strText = QString::fromUtf8(control.m_pszText);
        QWidget* pWidget = nullptr;
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
            pWidget = pLabel;
            break;
        }
        case res::EControlKind::StaticIcon:
        {
            // An icon control keeps the icon's own size (32 by 32) at its
            // top left corner, whatever the template's size.
            auto* pLabel = new QLabel(this);
            const char* pszIcon = res::GetIconPath(strText.toUInt());
            if (pszIcon != nullptr)
            {
                pLabel->setPixmap(QIcon(QString::fromUtf8(pszIcon)).pixmap(32, 32));
            }
            pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            pWidget = pLabel;
            break;
        }
        case res::EControlKind::PushButton:
        case res::EControlKind::DefPushButton:
        {
            auto* pButton = new QPushButton(strText, this);
            pButton->setAutoDefault(false);
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
            pWidget = pButton;
            break;
        }
        default:
            // Other kinds are made by the dialogs that use them.
            break;
        }
        if (pWidget == nullptr)
        {
            continue;
        }
        pWidget->setGeometry(rect);
        if (control.m_eKind == res::EControlKind::StaticIcon)
        {
            pWidget->resize(std::max(rect.width(), 32), std::max(rect.height(), 32));
        }
        if (control.m_nID != res::IDC_STATIC)
        {
            pWidget->setObjectName(QStringLiteral("control%1").arg(control.m_nID));
            m_items[control.m_nID] = pWidget;
        }
        if (control.m_nStyle & res::CS_TABSTOP)
        {
            pWidget->setFocusPolicy(Qt::StrongFocus);
            if (pPrevious != nullptr)
            {
                QWidget::setTabOrder(pPrevious, pWidget);
            }
            pPrevious = pWidget;
        }
        else if (control.m_eKind == res::EControlKind::PushButton ||
                 control.m_eKind == res::EControlKind::DefPushButton)
        {
            pWidget->setFocusPolicy(Qt::NoFocus);
        }
    }
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

QWidget* CDialog::GetDlgItem(unsigned nID) const
{
    auto it = m_items.find(nID);
    return it == m_items.end() ? nullptr : it->second;
}

void CDialog::SetDlgItemText(unsigned nID, const QString& strText)
{
    if (auto* pLabel = qobject_cast<QLabel*>(GetDlgItem(nID)))
    {
        pLabel->setText(strText);
    }
    else if (auto* pButton = qobject_cast<QPushButton*>(GetDlgItem(nID)))
    {
        pButton->setText(strText);
    }
}

QString CDialog::GetDlgItemText(unsigned nID) const
{
    if (auto* pLabel = qobject_cast<QLabel*>(GetDlgItem(nID)))
    {
        return pLabel->text();
    }
    if (auto* pButton = qobject_cast<QPushButton*>(GetDlgItem(nID)))
    {
        return pButton->text();
    }
    return {};
}
