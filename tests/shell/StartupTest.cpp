// Starting the program, the command line, the settings it keeps, and the
// numbering of new graphs.
#include <QFile>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/RecentFileList.h"

namespace
{

QStringList MenuBarTitles(QMainWindow* pFrame)
{
    QStringList titles;
    for (QAction* pAction : pFrame->menuBar()->actions())
    {
        titles << pAction->text();
    }
    return titles;
}

QStringList ItemTexts(QMenu* pMenu)
{
    QStringList texts;
    for (QAction* pAction : pMenu->actions())
    {
        if (pAction->isVisible())
        {
            texts << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
        }
    }
    return texts;
}

} // namespace

using CStartupTest = CShellTest;

TEST_F(CStartupTest, NoArgumentsGivesOneNewGraphTracel1InTheShownWindow)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame()->isVisible());
    ASSERT_EQ(ChildTitles(), std::vector<QString>{"Tracel1"});
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo - Tracel1");
    EXPECT_EQ(MenuBarTitles(Frame()).size(), 5);
    auto* pDoc = dynamic_cast<CTraceloDoc*>(Children()[0]->GetActiveDocument());
    ASSERT_NE(pDoc, nullptr);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetPathName(), "");
    EXPECT_EQ(pDoc->m_nDivisions, 500);
}

TEST_F(CStartupTest, NewGraphsCountFromStartAndNeverGoBack)
{
    ASSERT_TRUE(Start());
    for (int i = 0; i < 3; ++i)
    {
        Command(res::ID_FILE_NEW);
    }
    EXPECT_EQ(ChildTitles(), (std::vector<QString>{"Tracel1", "Tracel2", "Tracel3", "Tracel4"}));
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo - Tracel4");

    while (!Children().empty())
    {
        Command(res::ID_FILE_CLOSE);
    }
    EXPECT_EQ(MenuBarTitles(Frame()).size(), 3);
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo");
    EXPECT_TRUE(Graphs().GetDocuments().empty());

    Command(res::ID_FILE_NEW);
    EXPECT_EQ(ChildTitles(), std::vector<QString>{"Tracel5"});

    // Opening a file does not take a number.
    WriteBytes(File("seno"), SinGraphBytes());
    ASSERT_NE(Graphs().OpenDocumentFile(File("seno")), nullptr);
    Command(res::ID_FILE_NEW);
    EXPECT_EQ(ChildTitles(), (std::vector<QString>{"Tracel5", "seno", "Tracel6"}));
}

TEST_F(CStartupTest, MenusFollowWhetherAGraphWindowIsActive)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(MenuBarTitles(Frame()),
              (QStringList{"&File", "&Modifica", "&Visualizza", "Fi&nestra", "&?"}));
    QMenu* pFile = Menu(res::IDR_GRAPHTYPE, 0);
    EXPECT_EQ(ItemTexts(pFile),
              (QStringList{"&Nuovo\tCtrl+N", "&Apri...\tCtrl+A", "&Chiudi", "&Salva\tCtrl+S",
                           "Sa&lva con nome...", "-", "Stam&pa...\tCtrl+P", "Antepri&ma di stampa",
                           "Imposta s&tampante...", "-", "Ultimo file usato", "-", "&Esci"}));

    // Edit: always disabled, nothing handles its commands.
    QMenu* pEdit = Menu(res::IDR_GRAPHTYPE, 1);
    EXPECT_EQ(ItemTexts(pEdit), (QStringList{"&Annulla\tCtrl+Z", "-", "Tag&lia\tCtrl+X",
                                             "&Copia\tCtrl+C", "&Incolla\tCtrl+V"}));
    for (QAction* pAction : pEdit->actions())
    {
        if (!pAction->isSeparator())
        {
            EXPECT_FALSE(pAction->isEnabled()) << pAction->text().toStdString();
        }
    }

    Command(res::ID_FILE_CLOSE);
    EXPECT_EQ(MenuBarTitles(Frame()), (QStringList{"&File", "&Visualizza", "&?"}));
    QMenu* pMainFile = Menu(res::IDR_MAINFRAME, 0);
    EXPECT_EQ(ItemTexts(pMainFile),
              (QStringList{"&Nuovo\tCtrl+N", "&Apri...\tCtrl+A", "-", "Imposta s&tampante...", "-",
                           "Ultimo file usato", "-", "&Esci"}));
    for (QAction* pAction : pMainFile->actions())
    {
        if (pAction->text() == "Ultimo file usato")
        {
            EXPECT_FALSE(pAction->isEnabled());
        }
    }

    Command(res::ID_FILE_NEW);
    EXPECT_EQ(MenuBarTitles(Frame()).size(), 5);
}

TEST_F(CStartupTest, ViewMenuShowsAndHidesTheBarsWithCheckMarks)
{
    ASSERT_TRUE(Start());
    QMenu* pView = Menu(res::IDR_GRAPHTYPE, 2);
    const struct
    {
        unsigned m_nID;
        QWidget* m_pBar;
    } kBars[] = {{res::ID_VIEW_TOOLBAR, ToolBar()},
                 {res::ID_VIEW_STATUS_BAR, Frame()->statusBar()}};
    for (const auto& bar : kBars)
    {
        for (bool bShown : {false, true})
        {
            Command(bar.m_nID);
            EXPECT_EQ(bar.m_pBar->isVisible(), bShown);
            emit pView->aboutToShow();
            for (QAction* pAction : pView->actions())
            {
                if (pAction->data().toUInt() == bar.m_nID)
                {
                    EXPECT_TRUE(pAction->isCheckable());
                    EXPECT_EQ(pAction->isChecked(), bShown);
                }
            }
        }
    }
}

TEST_F(CStartupTest, FileOnTheCommandLineOpensItAndPrintSwitchesAreAccepted)
{
    WriteBytes(File("seno"), SinGraphBytes());
    const std::vector<std::vector<std::string>> kCommandLines = {
        {"seno"}, {File("seno")}, {"/P", "seno"}, {"/nonsense", "seno"}};
    for (const auto& vArgs : kCommandLines)
    {
        ASSERT_TRUE(Start(vArgs)) << ::testing::PrintToString(vArgs);
        ASSERT_EQ(ChildTitles(), std::vector<QString>{"seno"});
        CDocument* pDoc = Children()[0]->GetActiveDocument();
        EXPECT_EQ(pDoc->GetPathName(), File("seno"));
        EXPECT_EQ(Recent().GetCount(), 1);
        auto* pGraph = dynamic_cast<CTraceloDoc*>(pDoc);
        ASSERT_EQ(pGraph->m_pFunctions->size(), 1u);
        // The view sampled it when it was first updated.
        EXPECT_EQ(pGraph->m_pFunctions->front().m_pPoints->GetCount(), 500u);
    }
}

TEST_F(CStartupTest, ASlowGraphOnTheCommandLineShowsTheWindowBeforeItsProgress)
{
    // A million divisions of four long sums: the progress dialog comes up,
    // over the main window, which is shown first.
    std::vector<unsigned char> vSlow = NewGraphBytes();
    const std::int32_t nDivisions = 1000000;
    std::memcpy(&vSlow[32], &nDivisions, sizeof nDivisions);
    vSlow[40] = 4;
    std::string strSlow = "X";
    for (int i = 1; strSlow.size() < 230; ++i)
        strSlow += "+SIN(X*" + std::to_string(i) + ")^2";
    for (int i = 0; i < 4; ++i)
    {
        vSlow.push_back(static_cast<unsigned char>(strSlow.size()));
        vSlow.insert(vSlow.end(), strSlow.begin(), strSlow.end());
        vSlow.insert(vSlow.end(), {0, 0, 0xFF, 0});
    }
    WriteBytes(File("lento"), vSlow);
    int nDialogs = 0;
    bool bFrameShownUnder = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout,
                     [&]
                     {
                         auto* pDlg =
                             qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
                         if (pDlg == nullptr)
                             return;
                         ++nDialogs;
                         bFrameShownUnder = pDlg->parentWidget() != nullptr &&
                                            pDlg->parentWidget()->window()->isVisible();
                         pDlg->findChild<QPushButton*>()->click();
                     });
    driver.start(10);
    ASSERT_TRUE(Start({"lento"}));
    driver.stop();
    EXPECT_EQ(nDialogs, 1);
    EXPECT_TRUE(bFrameShownUnder);
    EXPECT_TRUE(Frame()->isVisible());
}

TEST_F(CStartupTest, AFileThatCannotBeOpenedShowsItsMessageAndEndsTheProgram)
{
    std::vector<unsigned char> vCut = SinGraphBytes();
    vCut.resize(48);
    WriteBytes(File("cut"), vCut);
    struct CCase
    {
        std::string m_strArg;
        QString m_strMessage;
    };
    const CCase kCases[] = {
        {"cut", "Formato file inatteso."},
        {"missing", QString::fromStdString(File("missing")) + " non trovato."},
    };
    for (const CCase& c : kCases)
    {
        CModalDriver driver;
        driver.AnswerMessageBox("OK");
        EXPECT_FALSE(Start({c.m_strArg}));
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.m_vMessages.size(), 1u);
        EXPECT_EQ(driver.m_vMessages[0], c.m_strMessage);
        EXPECT_EQ(driver.m_vTitles[0], "Tracelo");
        EXPECT_EQ(driver.m_vButtons[0], QStringList{"OK"});
        EXPECT_TRUE(Children().empty());
        EXPECT_EQ(Recent().GetCount(), 0);
    }
}

// A graph whose records would not fit in the memory left: "Memoria
// insufficiente." on every road that opens a file, nothing opened, nothing
// else changed, and the program goes on (or ends as for any file that does
// not open, when it was the command line's).
TEST_F(CStartupTest, AGraphThatDoesNotFitInMemoryIsRefusedOnEveryRoad)
{
    std::vector<unsigned char> vBig = NewGraphBytes();
    const std::int32_t nCount = 1000000;
    std::memcpy(&vBig[40], &nCount, sizeof nCount);
    for (std::int32_t i = 0; i < nCount; ++i)
    {
        vBig.insert(vBig.end(), {0, 0xFF, 0, 0, 0});
    }
    WriteBytes(File("grande"), vBig);
    setenv("TRACELO_MEMORY_LIMIT", "1000000", 1);

    enum class ERoad
    {
        CommandLine,
        FileOpen,
        RecentFile
    };
    for (const ERoad road : {ERoad::CommandLine, ERoad::FileOpen, ERoad::RecentFile})
    {
        SCOPED_TRACE(static_cast<int>(road));
        CModalDriver driver;
        if (road == ERoad::CommandLine)
        {
            driver.AnswerMessageBox("OK");
            EXPECT_FALSE(Start({"grande"}));
        }
        else
        {
            ASSERT_TRUE(Start());
            Frame()->AddToRecentFile(File("grande"));
            if (road == ERoad::FileOpen)
            {
                driver.AnswerFileDialog(QString::fromStdString(File("grande")));
            }
            driver.AnswerMessageBox("OK");
            if (road == ERoad::FileOpen)
            {
                Command(res::ID_FILE_OPEN);
            }
            else
            {
                ChooseItem(Menu(res::IDR_GRAPHTYPE, 0), "&1 ");
            }
            EXPECT_EQ(ChildTitles(), std::vector<QString>{"Tracel1"});
            // The file itself is sound: it stays in the list.
            ASSERT_EQ(Recent().GetCount(), 1);
            EXPECT_EQ(Recent()[0], File("grande"));
            Recent().Remove(0);
        }
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.m_vMessages.size(), 1u);
        EXPECT_EQ(driver.m_vMessages[0], "Memoria insufficiente.");
        Stop();
    }
    unsetenv("TRACELO_MEMORY_LIMIT");
}

TEST_F(CStartupTest, RecentFilesKeepFourNewestFirstAcrossARestart)
{
    ASSERT_TRUE(Start());
    for (const char* pszName : {"g1", "g2", "g3", "g4", "g5"})
    {
        WriteBytes(File(pszName), NewGraphBytes());
        ASSERT_NE(Graphs().OpenDocumentFile(pszName), nullptr);
    }
    Stop();

    {
        QSettings settings("Local AppWizard-Generated Applications", "Tracelo");
        EXPECT_EQ(settings.value("Recent File List/File1").toString().toStdString(), File("g5"));
        EXPECT_EQ(settings.value("Recent File List/File4").toString().toStdString(), File("g2"));
        EXPECT_FALSE(settings.contains("Recent File List/File5"));
        // Zero pages in preview are not written.
        EXPECT_FALSE(settings.contains("Settings/PreviewPages"));
    }

    ASSERT_TRUE(Start());
    QMenu* pFile = Menu(res::IDR_GRAPHTYPE, 0);
    QStringList recent;
    for (QAction* pAction : pFile->actions())
    {
        if (pAction->isVisible() && pAction->text().startsWith('&') && pAction->text()[1].isDigit())
        {
            recent << pAction->text();
            EXPECT_TRUE(pAction->isEnabled());
        }
    }
    // In the current folder the names are shown bare.
    EXPECT_EQ(recent, (QStringList{"&1 g5", "&2 g4", "&3 g3", "&4 g2"}));

    // Choosing an entry opens it; one that no longer opens leaves the list.
    ChooseItem(pFile, "&3 ");
    EXPECT_EQ(ChildTitles().back(), "g3");
    EXPECT_EQ(Recent()[0], File("g3"));
    QFile::remove(QString::fromStdString(File("g2")));
    CModalDriver driver;
    driver.AnswerMessageBox("OK");
    ChooseItem(pFile, "&4 ");
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(Recent().GetCount(), 3);
}

// A file whose name is not UTF-8 opens again from the list after a restart.
TEST_F(CStartupTest, RecentFileNotInUtf8OpensAgainAfterARestart)
{
    const std::string strName = "seno-\xE9t\xE9";
    WriteBytes(File(strName), SinGraphBytes());
    ASSERT_TRUE(Start({strName}));
    Stop();
    ASSERT_TRUE(Start());
    ASSERT_EQ(Recent().GetCount(), 1);
    EXPECT_EQ(Recent()[0], File(strName));
    ChooseItem(Menu(res::IDR_GRAPHTYPE, 0), "&1 ");
    ASSERT_EQ(Children().size(), 2u);
    EXPECT_EQ(Children().back()->GetActiveDocument()->GetPathName(), File(strName));
    EXPECT_EQ(Recent().GetCount(), 1);
}

TEST_F(CStartupTest, RecentFileListIsWrittenWhenItChanges)
{
    WriteBytes(File("g1"), NewGraphBytes());
    WriteBytes(File("g2"), NewGraphBytes());
    ASSERT_TRUE(Start());
    const auto stored = []
    {
        QSettings settings("Local AppWizard-Generated Applications", "Tracelo");
        return std::make_pair(settings.value("Recent File List/File1").toString().toStdString(),
                              settings.value("Recent File List/File2").toString().toStdString());
    };
    ASSERT_NE(Graphs().OpenDocumentFile("g1"), nullptr);
    EXPECT_EQ(stored(), std::make_pair(File("g1"), std::string()));
    ASSERT_NE(Graphs().OpenDocumentFile("g2"), nullptr);
    EXPECT_EQ(stored(), std::make_pair(File("g2"), File("g1")));
    // Ended without its exit step, as a killed program: the list is kept.
    m_pApp.reset();
    ASSERT_TRUE(Start());
    ASSERT_EQ(Recent().GetCount(), 2);
    EXPECT_EQ(Recent()[0], File("g2"));
}

// A settings file that is a pipe would block the start for ever, a folder
// cannot hold them: either is ignored, the defaults hold and it stays as it
// was.
TEST_F(CStartupTest, SettingsFileThatIsNotARegularFileIsIgnored)
{
    const std::string strFolder = File("settings") + "/Local AppWizard-Generated Applications";
    const std::string strFile = strFolder + "/Tracelo.conf";
    std::filesystem::create_directories(strFolder);
    for (const bool bPipe : {true, false})
    {
        std::filesystem::remove_all(strFile);
        ASSERT_EQ(bPipe ? ::mkfifo(strFile.c_str(), 0600) : ::mkdir(strFile.c_str(), 0700), 0);
        // Should the start open the pipe, a writer that comes and goes lets
        // it go on, and the test fails instead of hanging.
        std::atomic<bool> bStop{false};
        std::atomic<bool> bOpenedByTheProgram{false};
        std::thread watchdog(
            [&]
            {
                while (bPipe && !bStop)
                {
                    const int fd = ::open(strFile.c_str(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0)
                    {
                        bOpenedByTheProgram = true;
                        ::close(fd);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            });
        WriteBytes(File("g"), NewGraphBytes());
        const bool bStarted = Start({"g"});
        Stop();
        bStop = true;
        watchdog.join();
        EXPECT_TRUE(bStarted);
        EXPECT_FALSE(bOpenedByTheProgram);
        struct stat st = {};
        ASSERT_EQ(::lstat(strFile.c_str(), &st), 0);
        EXPECT_EQ(bPipe ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode), true) << bPipe;
    }
}

TEST_F(CStartupTest, PreviewPagesAreReadAndWrittenWhenNotZero)
{
    {
        QSettings settings("Local AppWizard-Generated Applications", "Tracelo");
        settings.setValue("Settings/PreviewPages", 2);
    }
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_pApp->GetPrintSettings().m_nNumPreviewPages, 2);
    m_pApp->GetPrintSettings().m_nNumPreviewPages = 1;
    Stop();
    QSettings settings("Local AppWizard-Generated Applications", "Tracelo");
    EXPECT_EQ(settings.value("Settings/PreviewPages").toInt(), 1);
}

TEST_F(CStartupTest, UnregisterRemovesTheSettingsAndDoesNotWriteThemBack)
{
    const struct
    {
        const char* m_pszSwitch;
    } kSwitches[] = {{"/Unregister"}, {"-unregserver"}};
    for (const auto& s : kSwitches)
    {
        WriteBytes(File("g"), NewGraphBytes());
        ASSERT_TRUE(Start({"g"}));
        Stop();
        const QString strFile =
            QSettings("Local AppWizard-Generated Applications", "Tracelo").fileName();
        ASSERT_TRUE(QFile::exists(strFile));

        CModalDriver driver;
        driver.AnswerMessageBox("OK");
        EXPECT_FALSE(Start({s.m_pszSwitch}));
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.m_vMessages.size(), 1u);
        EXPECT_EQ(driver.m_vMessages[0],
                  "Le voci del registro di sistema sono state rimosse e il file .INI (se "
                  "presente) è stato rimosso.");
        EXPECT_TRUE(Children().empty());
        m_pApp->ExitInstance();
        EXPECT_FALSE(QFile::exists(strFile));
        m_pApp.reset();
    }
}
