#include "shell/StatusBar.h"

#include <QFontMetrics>
#include <QLabel>

#include "res/ShellResources.h"

namespace
{
// Room between a pane's text and its sunken border, on each side.
constexpr int kPaneTextMargin = 3;
} // namespace

CStatusBar::CStatusBar() = default;

CStatusBar::~CStatusBar() = default;

bool CStatusBar::Create(QWidget* pParentWnd)
{
    if (pParentWnd != nullptr)
    {
        setParent(pParentWnd);
    }
    setObjectName(QStringLiteral("statusbar"));
    setSizeGripEnabled(true);
    return true;
}

bool CStatusBar::SetIndicators(const unsigned* pIDArray, int nIDCount)
{
    std::vector<CPane> vPanes;
    for (int i = 0; i < nIDCount; ++i)
    {
        CPane pane;
        pane.m_nID = pIDArray[i];
        if (pane.m_nID != 0)
        {
            const char* pszText = res::LoadString(pane.m_nID);
            if (pszText == nullptr)
            {
                return false;
            }
            pane.m_strText = QString::fromUtf8(pszText);
            pane.m_cxText = MeasureText(pane.m_strText);
        }
        vPanes.push_back(pane);
    }
    // Keep the labels already there; make or drop the rest.
    for (std::size_t i = vPanes.size(); i < m_vPanes.size(); ++i)
    {
        removeWidget(m_vPanes[i].m_pLabel);
        delete m_vPanes[i].m_pLabel;
    }
    for (std::size_t i = 0; i < vPanes.size(); ++i)
    {
        if (i < m_vPanes.size())
        {
            vPanes[i].m_pLabel = m_vPanes[i].m_pLabel;
        }
        else
        {
            auto* pLabel = new QLabel(this);
            pLabel->setTextFormat(Qt::PlainText);
            pLabel->setIndent(0);
            pLabel->setMargin(0);
            pLabel->setContentsMargins(kPaneTextMargin, 0, kPaneTextMargin, 0);
            if (i == 0)
            {
                addWidget(pLabel, 1);
            }
            else
            {
                addPermanentWidget(pLabel);
            }
            vPanes[i].m_pLabel = pLabel;
        }
    }
    m_vPanes = std::move(vPanes);
    if (!m_vPanes.empty())
    {
        m_vPanes[0].m_nStyle = SBPS_NOBORDERS | SBPS_STRETCH;
    }
    for (CPane& pane : m_vPanes)
    {
        ApplyPane(pane);
    }
    return true;
}

int CStatusBar::CommandToIndex(unsigned nID) const
{
    for (std::size_t i = 0; i < m_vPanes.size(); ++i)
    {
        if (m_vPanes[i].m_nID == nID)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

unsigned CStatusBar::GetItemID(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        return 0;
    }
    return m_vPanes[nIndex].m_nID;
}

void CStatusBar::GetPaneInfo(int nIndex, unsigned& nID, unsigned& nStyle, int& cxWidth) const
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        nID = 0;
        nStyle = 0;
        cxWidth = 0;
        return;
    }
    const CPane& pane = m_vPanes[nIndex];
    nID = pane.m_nID;
    nStyle = pane.m_nStyle;
    cxWidth = pane.m_cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, unsigned nID, unsigned nStyle, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        return;
    }
    CPane& pane = m_vPanes[nIndex];
    const bool bChanged = pane.m_nStyle != nStyle || pane.m_cxText != cxWidth;
    pane.m_nID = nID;
    pane.m_nStyle = nStyle;
    pane.m_cxText = cxWidth;
    if (bChanged)
    {
        ApplyPane(pane);
    }
}

unsigned CStatusBar::GetPaneStyle(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_vPanes[nIndex].m_nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, unsigned nStyle)
{
    if (nIndex >= 0 && nIndex < GetCount() && m_vPanes[nIndex].m_nStyle != nStyle)
    {
        m_vPanes[nIndex].m_nStyle = nStyle;
        ApplyPane(m_vPanes[nIndex]);
    }
}

QString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_vPanes[nIndex].m_strText : QString();
}

bool CStatusBar::SetPaneText(int nIndex, const QString& strText, bool bUpdate)
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        return false;
    }
    CPane& pane = m_vPanes[nIndex];
    if (pane.m_strText == strText)
    {
        return true;
    }
    pane.m_strText = strText;
    ApplyPane(pane);
    if (bUpdate)
    {
        pane.m_pLabel->repaint();
    }
    return true;
}

int CStatusBar::MeasureText(const QString& strText) const
{
    return QFontMetrics(font()).horizontalAdvance(strText);
}

void CStatusBar::ApplyPane(CPane& pane)
{
    QLabel* pLabel = pane.m_pLabel;
    pLabel->setText((pane.m_nStyle & SBPS_DISABLED) ? QString() : pane.m_strText);
    if (pane.m_nStyle & SBPS_NOBORDERS)
    {
        pLabel->setFrameStyle(QFrame::NoFrame);
    }
    else
    {
        pLabel->setFrameStyle(QFrame::Panel |
                              ((pane.m_nStyle & SBPS_POPOUT) ? QFrame::Raised : QFrame::Sunken));
    }
    if (pane.m_nStyle & SBPS_STRETCH)
    {
        // A long message is cut, never widens the window.
        pLabel->setMinimumWidth(0);
        pLabel->setMaximumWidth(QWIDGETSIZE_MAX);
        pLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    else
    {
        pLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        const int nFrame = pLabel->frameWidth();
        pLabel->setFixedWidth(pane.m_cxText + 2 * (kPaneTextMargin + nFrame));
    }
}
