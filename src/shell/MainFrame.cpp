#include "shell/MainFrame.h"

#include <QTimer>
#include <array>

#include "res/ShellResources.h"
#include "shell/MDIChildWnd.h"
#include "shell/TraceloView.h"

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
    ConnectViewCommands();
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

void CMainFrame::UpdateStatusPanes()
{
    if (!CanUpdateStatusPanes())
    {
        return;
    }
    CMDIFrameWnd::UpdateStatusPanes();
    UpdateClockPane("%x", m_nDatePane);
    UpdateClockPane("%X", m_nTimePane);
}

void CMainFrame::ConnectViewCommands()
{
    const std::pair<unsigned, void (CTraceloView::*)()> kCommands[] = {
        {res::ID_EDIT_PARAMETERS, &CTraceloView::OnEditParameters},
        {res::ID_FUNCTION_NEW, &CTraceloView::OnFunctionNew},
        {res::ID_FUNCTION_EDIT, &CTraceloView::OnFunctionEdit},
        {res::ID_FUNCTION_DELETE, &CTraceloView::OnFunctionDelete},
        {res::ID_OPS, &CTraceloView::OnOps},
        {res::ID_EXPORT_METAFILE, &CTraceloView::OnExportMetafile},
        {res::ID_FILE_PRINT, &CTraceloView::OnFilePrint},
        {res::ID_FILE_PRINT_DIRECT, &CTraceloView::OnFilePrintDirect},
        {res::ID_FILE_PRINT_PREVIEW, &CTraceloView::OnFilePrintPreview},
    };
    for (const auto& [nID, pfn] : kCommands)
    {
        ConnectCommand(
            nID,
            [this, pfn]
            {
                CMDIChildWnd* pActive = MDIGetActive();
                if (auto* pView = pActive != nullptr
                                      ? dynamic_cast<CTraceloView*>(pActive->GetActiveView())
                                      : nullptr)
                {
                    (pView->*pfn)();
                }
            },
            true);
    }
}

void CMainFrame::UpdateClockPane(const char* pszFormat, int nPane)
{
    const std::string strText = FormatClockText(pszFormat, std::time(nullptr));
    const QString strShown = QString::fromLocal8Bit(strText.data(), qsizetype(strText.size()));
    unsigned nID = 0;
    unsigned nStyle = 0;
    int cxWidth = 0;
    m_wndStatusBar.GetPaneInfo(nPane, nID, nStyle, cxWidth);
    m_wndStatusBar.SetPaneInfo(nPane, nID, nStyle & ~SBPS_DISABLED,
                               m_wndStatusBar.MeasureText(strShown));
    m_wndStatusBar.SetPaneText(nPane, strShown, false);
}
