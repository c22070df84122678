#include "shell/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QTimer>

#include "res/ShellResources.h"
#include "shell/KeyboardLocks.h"

namespace
{
// Room between a pane's text and its sunken border, on each side.
constexpr int kPaneTextMargin = 3;

// A pane's sunken label as wide as cxText.
void SetPaneWidth(QLabel* pPane, int cxText)
{
    pPane->setFixedWidth(cxText + 2 * (kPaneTextMargin + pPane->frameWidth()));
}
} // namespace

std::string FormatClockText(const char* pszFormat, std::time_t t)
{
    std::tm tmLocal{};
#ifdef _WIN32
    if (localtime_s(&tmLocal, &t) != 0)
    {
        return {};
    }
#else
    if (localtime_r(&t, &tmLocal) == nullptr)
    {
        return {};
    }
#endif
    char szBuffer[128];
    const std::size_t nLength = std::strftime(szBuffer, sizeof szBuffer, pszFormat, &tmLocal);
    return std::string(szBuffer, nLength);
}

CStatusBar::CStatusBar(QWidget* pParent) : QStatusBar(pParent)
{
    setObjectName(QStringLiteral("statusbar"));
    setSizeGripEnabled(true);
    m_pMessage = AddPane(0);
    m_pCaps = AddPane(res::ID_INDICATOR_CAPS);
    m_pNum = AddPane(res::ID_INDICATOR_NUM);
    m_pScroll = AddPane(res::ID_INDICATOR_SCRL);
    m_pDate = AddPane(res::ID_INDICATOR_DATE);
    m_pTime = AddPane(res::ID_INDICATOR_TIME);

    m_pToggleView = new QAction(this);
    m_pToggleView->setCheckable(true);
    m_pToggleView->setChecked(true);
    QObject::connect(m_pToggleView, &QAction::triggered, this,
                     [this](bool bShow) { setVisible(bShow); });

    // Each tick refreshes the panes: the date, the time and the lock keys.
    m_pClock = new QTimer(this);
    m_pClock->setObjectName(QStringLiteral("clock%1").arg(res::kClockTimerId));
    m_pClock->setInterval(res::kClockPeriodMs);
    QObject::connect(m_pClock, &QTimer::timeout, this, [this] { UpdatePanes(); });
    m_pClock->start();
}

CStatusBar::~CStatusBar() = default;

QLabel* CStatusBar::AddPane(unsigned nID)
{
    auto* pPane = new QLabel(this);
    pPane->setTextFormat(Qt::PlainText);
    pPane->setIndent(0);
    pPane->setMargin(0);
    pPane->setContentsMargins(kPaneTextMargin, 0, kPaneTextMargin, 0);
    if (nID == 0)
    {
        // A long message is cut, never widens the window.
        pPane->setFrameStyle(QFrame::NoFrame);
        pPane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(pPane, 1);
        return pPane;
    }
    pPane->setText(QString::fromUtf8(res::LoadString(nID)));
    pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pPane->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    SetPaneWidth(pPane, QFontMetrics(font()).horizontalAdvance(pPane->text()));
    addPermanentWidget(pPane);
    return pPane;
}

void CStatusBar::SetMessageText(const QString& strText)
{
    if (m_pMessage->text() != strText)
    {
        m_pMessage->setText(strText);
        m_pMessage->repaint();
    }
}

void CStatusBar::UpdatePanes()
{
    if (!isVisible() || QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
    {
        return;
    }
    // A lock pane keeps the width of its text and shows it only while its
    // lock is on.
    const struct
    {
        QLabel* m_pPane;
        EKeyLock m_eLock;
        unsigned m_nID;
    } kLocks[] = {{m_pCaps, EKeyLock::Caps, res::ID_INDICATOR_CAPS},
                  {m_pNum, EKeyLock::Num, res::ID_INDICATOR_NUM},
                  {m_pScroll, EKeyLock::Scroll, res::ID_INDICATOR_SCRL}};
    for (const auto& lock : kLocks)
    {
        lock.m_pPane->setText(QueryKeyLock(lock.m_eLock).value_or(false)
                                  ? QString::fromUtf8(res::LoadString(lock.m_nID))
                                  : QString());
    }
    UpdateClockPane(m_pDate, "%x");
    UpdateClockPane(m_pTime, "%X");
}

void CStatusBar::UpdateClockPane(QLabel* pPane, const char* pszFormat)
{
    const std::string strText = FormatClockText(pszFormat, std::time(nullptr));
    const QString strShown = QString::fromLocal8Bit(strText.data(), qsizetype(strText.size()));
    if (pPane->text() != strShown)
    {
        SetPaneWidth(pPane, QFontMetrics(font()).horizontalAdvance(strShown));
        pPane->setText(strShown);
    }
}

void CStatusBar::showEvent(QShowEvent* pEvent)
{
    QStatusBar::showEvent(pEvent);
    m_pToggleView->setChecked(true);
    UpdatePanes();
}

void CStatusBar::hideEvent(QHideEvent* pEvent)
{
    QStatusBar::hideEvent(pEvent);
    // Hidden with the main window the bar stays checked; hidden by itself not.
    m_pToggleView->setChecked(!isHidden());
}
