// Open, save, save as, close and exit, with their dialogs and prompts.
#include <QFile>
#include <sys/stat.h>

#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/Printing.h"
#include "shell/TraceloView.h"

using CDocumentFlowTest = CShellTest;

TEST_F(CDocumentFlowTest, SavePromptWhenTheLastWindowOfAModifiedGraphCloses)
{
    struct CCase
    {
        QString m_strAnswer;
        bool m_bStaysOpen;
        bool m_bSaved;
    };
    const CCase kCases[] = {
        {"Annulla", true, false},
        {"No", false, false},
        {"Sì", false, true},
    };
    for (const CCase& c : kCases)
    {
        ASSERT_TRUE(Start());
        CChildFrame* pChild = Children()[0];
        pChild->GetActiveDocument()->SetModifiedFlag(true);

        CModalDriver driver;
        driver.AnswerMessageBox(c.m_strAnswer);
        if (c.m_bSaved)
        {
            driver.AnswerFileDialog(QString::fromStdString(File("salvato")));
        }
        pChild->close();
        ProcessEvents();
        ASSERT_TRUE(driver.Done()) << c.m_strAnswer.toStdString();
        EXPECT_EQ(driver.m_vMessages[0], "Salvare le modifiche a Tracel1?");
        EXPECT_EQ(driver.m_vButtons[0], (QStringList{"&Sì", "&No", "Annulla"}));
        EXPECT_EQ(Children().size(), c.m_bStaysOpen ? 1u : 0u) << c.m_strAnswer.toStdString();
        EXPECT_EQ(Graphs().GetDocuments().size(), c.m_bStaysOpen ? 1u : 0u);
        if (c.m_bStaysOpen)
        {
            EXPECT_TRUE(Graphs().GetDocuments()[0]->IsModified());
        }
        EXPECT_EQ(QFile::exists(QString::fromStdString(File("salvato"))), c.m_bSaved);
        if (c.m_bSaved)
        {
            EXPECT_EQ(driver.m_vFileDialogTitles[0], "Salva con nome");
            EXPECT_EQ(driver.m_vFileDialogFilters[0], QStringList{"Tutti i file (*.*)"});
            // The title proposed as the name, no extension added.
            ASSERT_EQ(driver.m_vFileDialogSelected[0].size(), 1);
            EXPECT_TRUE(driver.m_vFileDialogSelected[0][0].endsWith("/Tracel1"));
            EXPECT_EQ(ReadBytes(File("salvato")), NewGraphBytes());
            EXPECT_EQ(Recent()[0], File("salvato"));
        }
        Stop();
    }
}

TEST_F(CDocumentFlowTest, AnUnmodifiedGraphClosesWithoutAPrompt)
{
    ASSERT_TRUE(Start());
    CModalDriver driver;
    Children()[0]->close();
    ProcessEvents();
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(driver.m_vMessages.empty());
}

TEST_F(CDocumentFlowTest, ARefusedFileOpensNoWindow)
{
    std::vector<unsigned char> vCut = SinGraphBytes();
    vCut.resize(50); // inside the function record
    WriteBytes(File("tagliato"), vCut);
    ASSERT_TRUE(Start());
    CModalDriver driver;
    driver.AnswerFileDialog(QString::fromStdString(File("tagliato")));
    driver.AnswerMessageBox("OK");
    Command(res::ID_FILE_OPEN);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(driver.m_vFileDialogTitles[0], "Apri");
    EXPECT_EQ(driver.m_vFileDialogFilters[0], QStringList{"Tutti i file (*.*)"});
    EXPECT_EQ(driver.m_vMessages[0], "Formato file inatteso.");
    EXPECT_EQ(ChildTitles(), std::vector<QString>{"Tracel1"});
    EXPECT_EQ(Graphs().GetDocuments().size(), 1u);
    EXPECT_EQ(Recent().GetCount(), 0);
}

TEST_F(CDocumentFlowTest, OpenThroughTheDialogAndCancelIt)
{
    WriteBytes(File("senza estensione"), SinGraphBytes());
    ASSERT_TRUE(Start());
    CModalDriver driver;
    driver.AnswerFileDialog(QString());
    driver.AnswerFileDialog(QString::fromStdString(File("senza estensione")));
    Command(res::ID_FILE_OPEN);
    EXPECT_EQ(Children().size(), 1u);
    Command(res::ID_FILE_OPEN);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(ChildTitles(), (std::vector<QString>{"Tracel1", "senza estensione"}));
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo - senza estensione");
    // Opening it again brings its window forward instead of a second copy.
    Frame()->MDIActivate(Children()[0]);
    ASSERT_NE(Graphs().OpenDocumentFile(File("senza estensione")), nullptr);
    EXPECT_EQ(Children().size(), 2u);
    EXPECT_EQ(Frame()->MDIGetActive(), Children()[1]);
}

TEST_F(CDocumentFlowTest, SaveWritesToTheFileAndSaveAsTakesTheNewName)
{
    WriteBytes(File("uno"), SinGraphBytes());
    ASSERT_TRUE(Start({"uno"}));
    auto* pDoc = dynamic_cast<CTraceloDoc*>(Children()[0]->GetActiveDocument());
    pDoc->m_bGrid = false;
    pDoc->SetModifiedFlag(true);
    Command(res::ID_FILE_SAVE);
    EXPECT_FALSE(pDoc->IsModified());
    std::vector<unsigned char> vExpected = SinGraphBytes();
    vExpected[36] = 0;
    EXPECT_EQ(ReadBytes(File("uno")), vExpected);

    CModalDriver driver;
    driver.AnswerFileDialog(QString::fromStdString(File("due")));
    Command(res::ID_FILE_SAVE_AS);
    ASSERT_TRUE(driver.Done());
    // A graph with a file proposes that file.
    EXPECT_TRUE(driver.m_vFileDialogSelected[0][0].endsWith("/uno"));
    EXPECT_EQ(ReadBytes(File("due")), vExpected);
    EXPECT_EQ(pDoc->GetPathName(), File("due"));
    EXPECT_EQ(ChildTitles(), std::vector<QString>{"due"});
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo - due");
}

TEST_F(CDocumentFlowTest, SaveGoesThroughSaveAsWhenTheFileIsReadOnlyOrGone)
{
    const char* kStates[] = {"read-only", "gone"};
    for (const char* pszState : kStates)
    {
        WriteBytes(File("orig"), NewGraphBytes());
        ASSERT_TRUE(Start({"orig"}));
        if (std::string(pszState) == "gone")
        {
            QFile::remove(QString::fromStdString(File("orig")));
        }
        else
        {
            ::chmod(File("orig").c_str(), 0444);
        }
        CModalDriver driver;
        driver.AnswerFileDialog(QString::fromStdString(File("nuovo")));
        Command(res::ID_FILE_SAVE);
        EXPECT_TRUE(driver.Done()) << pszState;
        EXPECT_EQ(ReadBytes(File("nuovo")), NewGraphBytes()) << pszState;
        ::chmod(File("orig").c_str(), 0644);
        QFile::remove(QString::fromStdString(File("nuovo")));
        Stop();
    }
}

TEST_F(CDocumentFlowTest, AFailedSaveKeepsTheGraphOpenAndModified)
{
    ASSERT_TRUE(Start());
    CChildFrame* pChild = Children()[0];
    pChild->GetActiveDocument()->SetModifiedFlag(true);
    CModalDriver driver;
    driver.AnswerMessageBox("Sì");
    driver.AnswerFileDialog(QString::fromStdString(File("no-such-folder/g")));
    driver.AnswerMessageBox("OK");
    pChild->close();
    ProcessEvents();
    ASSERT_TRUE(driver.Done());
    ASSERT_EQ(driver.m_vMessages.size(), 2u);
    EXPECT_EQ(driver.m_vMessages[1], "Nome file non valido.");
    EXPECT_EQ(Children().size(), 1u);
    EXPECT_TRUE(Graphs().GetDocuments()[0]->IsModified());
}

TEST_F(CDocumentFlowTest, TwoWindowsOnOneGraphShareItsFunctionsAndPromptOnce)
{
    WriteBytes(File("seno"), SinGraphBytes());
    ASSERT_TRUE(Start({"seno"}));
    Command(res::ID_WINDOW_NEW);
    ASSERT_EQ(ChildTitles(), (std::vector<QString>{"seno:1", "seno:2"}));
    auto* pView1 = Children()[0]->GetActiveView();
    auto* pView2 = Children()[1]->GetActiveView();
    ASSERT_NE(pView1, nullptr);
    ASSERT_NE(pView2, nullptr);
    EXPECT_EQ(pView1->GetFunctions(), pView2->GetFunctions());
    EXPECT_EQ(pView1->GetEvaluator(), pView2->GetEvaluator());
    EXPECT_EQ(pView1->GetDocument(), pView2->GetDocument());

    pView1->GetDocument()->SetModifiedFlag(true);
    CModalDriver driver;
    Children()[0]->close();
    ProcessEvents();
    EXPECT_TRUE(driver.m_vMessages.empty());
    EXPECT_EQ(ChildTitles(), std::vector<QString>{"seno"});

    driver.AnswerMessageBox("No");
    Children()[0]->close();
    ProcessEvents();
    EXPECT_TRUE(driver.Done());
    // The file's name as the caption shows it, not its whole path.
    EXPECT_EQ(driver.m_vMessages[0], "Salvare le modifiche a seno?");
    EXPECT_TRUE(Children().empty());
}

TEST_F(CDocumentFlowTest, ExitAsksAboutEveryModifiedGraphAndCancelKeepsThemAll)
{
    ASSERT_TRUE(Start());
    Command(res::ID_FILE_NEW);
    Command(res::ID_FILE_NEW);
    for (CDocument* pDoc : Graphs().GetDocuments())
    {
        if (pDoc->GetTitle() != "Tracel2")
        {
            pDoc->SetModifiedFlag(true);
        }
    }
    {
        CModalDriver driver;
        driver.AnswerMessageBox("No");
        driver.AnswerMessageBox("Annulla");
        Command(res::ID_APP_EXIT);
        ASSERT_TRUE(driver.Done());
        EXPECT_EQ(driver.m_vMessages, (std::vector<QString>{"Salvare le modifiche a Tracel1?",
                                                            "Salvare le modifiche a Tracel3?"}));
        EXPECT_EQ(Children().size(), 3u);
        EXPECT_TRUE(Frame()->isVisible());
    }
    CModalDriver driver;
    driver.AnswerMessageBox("No");
    driver.AnswerMessageBox("No");
    Command(res::ID_APP_EXIT);
    ASSERT_TRUE(driver.Done());
    EXPECT_FALSE(Frame()->isVisible());
    EXPECT_TRUE(Graphs().GetDocuments().empty());
}

// A window that goes without closing (its frame deleted) leaves its graph
// all the same: the others are numbered again, and the graph goes with its
// last window.
TEST_F(CDocumentFlowTest, AWindowDestroyedWithoutClosingLeavesItsGraph)
{
    ASSERT_TRUE(Start());
    Command(res::ID_WINDOW_NEW);
    Command(res::ID_WINDOW_NEW);
    ASSERT_EQ(ChildTitles(), (std::vector<QString>{"Tracel1:1", "Tracel1:2", "Tracel1:3"}));
    delete Children()[1];
    EXPECT_EQ(ChildTitles(), (std::vector<QString>{"Tracel1:1", "Tracel1:2"}));
    delete Children()[0];
    EXPECT_EQ(ChildTitles(), std::vector<QString>{"Tracel1"});
    delete Children()[0];
    EXPECT_TRUE(Graphs().GetDocuments().empty());
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo");
}

// What the open graphs announce, in order, to whoever shows their windows.
TEST_F(CDocumentFlowTest, TheOpenGraphsAnnounceWhatHappens)
{
    WriteBytes(File("seno"), SinGraphBytes());
    CPrintSettings print;
    QWidget owner;
    COpenGraphs graphs(&owner, print);
    std::vector<std::unique_ptr<CChildFrame>> vFrames;
    QStringList events;
    QObject::connect(&graphs, &COpenGraphs::windowMade,
                     [&](CChildFrame* pFrame)
                     {
                         vFrames.emplace_back(pFrame);
                         events << "made";
                     });
    QObject::connect(&graphs, &COpenGraphs::windowToActivate, [&] { events << "activate"; });
    QObject::connect(&graphs, &COpenGraphs::titlesChanged, [&] { events << "titles"; });
    QObject::connect(&graphs, &COpenGraphs::fileUsed,
                     [&](const std::string& strPath) { events << QString::fromStdString(strPath); });
    const QString strSeno = QString::fromStdString(File("seno"));
    const struct
    {
        const char* m_pszStep;
        std::function<void()> m_fnStep;
        QStringList m_events;
    } kSteps[] = {
        {"new", [&] { graphs.OnFileNew(); }, {"made", "titles", "activate"}},
        {"open", [&] { graphs.OpenDocumentFile("seno"); }, {"made", "titles", "activate", strSeno}},
        {"open again", [&] { graphs.OpenDocumentFile("seno"); }, {"activate", strSeno}},
        {"save", [&] { graphs.DoFileSave(graphs.GetDocuments()[1]); }, {"titles", strSeno}},
        {"a second window", [&] { graphs.OpenNewWindow(graphs.GetDocuments()[1]); },
         {"made", "titles", "activate"}},
        {"one of two closed", [&] { vFrames[1]->close(); }, {"titles"}},
        {"the last closed", [&] { vFrames[2]->close(); }, {"titles"}},
        {"a window deleted", [&] { vFrames[0].reset(); }, {"titles"}},
    };
    for (const auto& step : kSteps)
    {
        events.clear();
        step.m_fnStep();
        EXPECT_EQ(events, step.m_events) << step.m_pszStep;
    }
    EXPECT_TRUE(graphs.GetDocuments().empty());
}
