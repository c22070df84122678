#include "shell/MainFrame.h"

#include <QTimer>
#include <array>

#include "res/ShellResources.h"

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

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    // The bars are members: they leave the window before it goes.
    SetMessageBar(nullptr);
}

int CMainFrame::OnCreate()
{
    if (CMDIFrameWnd::OnCreate() == -1)
    {
        return -1;
    }

    m_wndToolBar.setObjectName(QStringLiteral("toolbar"));
    m_wndToolBar.setMovable(true);
    m_wndToolBar.setFloatable(true);
    m_wndToolBar.setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (!LoadToolBar(&m_wndToolBar, res::IDR_MAINFRAME))
    {
        return -1;
    }
    addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
    RegisterControlBar(res::ID_VIEW_TOOLBAR, &m_wndToolBar);

    if (!m_wndStatusBar.Create(this, res::ID_VIEW_STATUS_BAR))
    {
        return -1;
    }
    setStatusBar(&m_wndStatusBar);
    std::array<unsigned, 6> ids = {res::ID_SEPARATOR, res::ID_INDICATOR_CAPS, res::ID_INDICATOR_NUM,
                                   res::ID_INDICATOR_SCRL};
    if (!m_wndStatusBar.SetIndicators(ids.data(), 4))
    {
        return -1;
    }
    RegisterControlBar(res::ID_VIEW_STATUS_BAR, &m_wndStatusBar);
    SetMessageBar(&m_wndStatusBar);

    if (!AddDateTimePanes(ids.data(), 4))
    {
        return -1;
    }
    SetIdleMessage();
    return 0;
}

bool CMainFrame::AddDateTimePanes(unsigned* pIDArray, int nIDCount)
{
    m_nDatePane = nIDCount;
    pIDArray[m_nDatePane] = res::ID_INDICATOR_DATE;
    m_nTimePane = nIDCount + 1;
    pIDArray[m_nTimePane] = res::ID_INDICATOR_TIME;

    // Each tick refreshes the panes: the date, the time and the lock keys.
    m_pClock = new QTimer(&m_wndStatusBar);
    m_pClock->setObjectName(QStringLiteral("clock%1").arg(res::kClockTimerId));
    m_pClock->setInterval(res::kClockPeriodMs);
    QObject::connect(m_pClock, &QTimer::timeout, this, [this] { UpdateStatusPanes(); });
    m_pClock->start();

    return m_wndStatusBar.SetIndicators(pIDArray, nIDCount + 2);
}

bool CMainFrame::DispatchOwn(unsigned nID, CCmdUI* pCmdUI)
{
    using T = CMainFrame;
    static const CCmdEntry<T> kCommands[] = {
        MapUpdate<T>(res::ID_INDICATOR_DATE, &T::OnUpdateDate),
        MapUpdate<T>(res::ID_INDICATOR_TIME, &T::OnUpdateTime),
    };
    if (DispatchTable<T>(this, kCommands, nID, pCmdUI))
    {
        return true;
    }
    return CMDIFrameWnd::DispatchOwn(nID, pCmdUI);
}

void CMainFrame::OnUpdateDate(CCmdUI* pCmdUI)
{
    UpdateClockPane(pCmdUI, "%x", m_nDatePane);
}

void CMainFrame::OnUpdateTime(CCmdUI* pCmdUI)
{
    UpdateClockPane(pCmdUI, "%X", m_nTimePane);
}

void CMainFrame::UpdateClockPane(CCmdUI* pCmdUI, const char* pszFormat, int nPane)
{
    const std::string strText = FormatClockText(pszFormat, std::time(nullptr));
    const QString strShown = QString::fromLocal8Bit(strText.data(), qsizetype(strText.size()));
    unsigned nID = 0;
    unsigned nStyle = 0;
    int cxWidth = 0;
    m_wndStatusBar.GetPaneInfo(nPane, nID, nStyle, cxWidth);
    m_wndStatusBar.SetPaneInfo(nPane, nID, nStyle, m_wndStatusBar.MeasureText(strShown));
    pCmdUI->SetText(strShown.toStdString());
    pCmdUI->Enable(true);
}
