// The editing commands of a graph window, run as from its context menu and
// answered in their dialogs as a person would.
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <array>
#include <cmath>
#include <optional>

#include "PlotWindowTesting.h"
#include "ShellTestSupport.h"
#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "render/QtDrawDevice.h"
#include "res/EditDialogs.h"
#include "shell/FunctionDlg.h"
#include "shell/ParamsDlg.h"
#include "shell/SelectFunctionDlg.h"
#include "shell/TraceloView.h"

namespace
{

constexpr double kPi = 3.141592653589793;

// What a person does in the function dialog, and what the dialog showed.
struct CFunctionAnswer
{
    std::optional<QString> m_strType; // typed over the expression; none: left as shown
    int m_nColorRow = -1;             // clicked colour; -1: none
    bool m_bOK = true;
};
struct CFunctionSeen
{
    bool m_bOpened = false;
    QString m_strExpression;
    int m_nPreselected = -1;
};

void ReplaceText(QWidget* pWidget, const QString& strText)
{
    auto* pEdit = qobject_cast<QLineEdit*>(pWidget);
    ASSERT_NE(pEdit, nullptr);
    pEdit->setFocus();
    QTest::keyClick(pEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pEdit, Qt::Key_Delete);
    QTest::keyClicks(pEdit, strText);
}

void ClickRow(QWidget* pWidget, int nRow)
{
    auto* pList = qobject_cast<QListWidget*>(pWidget);
    ASSERT_NE(pList, nullptr);
    ASSERT_LT(nRow, pList->count());
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {},
                      pList->visualItemRect(pList->item(nRow)).center());
}

void ClickButton(CDialog* pDlg, unsigned nID)
{
    auto* pButton = qobject_cast<QAbstractButton*>(pDlg->GetControl(nID));
    ASSERT_NE(pButton, nullptr);
    QTest::mouseClick(pButton, Qt::LeftButton);
}

CModalDriver::FnAct AnswerFunction(CFunctionAnswer answer, CFunctionSeen* pSeen)
{
    return [=](QWidget* pWidget)
    {
        auto* pDlg = dynamic_cast<CFunctionDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr) << "expected the function dialog";
        pSeen->m_bOpened = true;
        pSeen->m_strExpression = pDlg->GetControlText(res::IDC_EXPRESSION);
        auto* pColors = qobject_cast<QListWidget*>(pDlg->GetControl(res::IDC_COLORS));
        const QList<QListWidgetItem*> selected = pColors->selectedItems();
        pSeen->m_nPreselected = selected.isEmpty() ? -1 : pColors->row(selected.front());
        if (answer.m_strType.has_value())
        {
            ReplaceText(pDlg->GetControl(res::IDC_EXPRESSION), *answer.m_strType);
        }
        if (answer.m_nColorRow >= 0)
        {
            ClickRow(pColors, answer.m_nColorRow);
        }
        ClickButton(pDlg, answer.m_bOK ? res::IDOK : res::IDCANCEL);
    };
}

// Chooses line nRow (-1: leaves the first selected) and presses OK or Cancel;
// keeps the lines shown.
CModalDriver::FnAct AnswerSelection(int nRow, bool bOK, QStringList* pLines)
{
    return [=](QWidget* pWidget)
    {
        auto* pDlg = dynamic_cast<CSelectFunctionDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr) << "expected the selection dialog";
        auto* pList = qobject_cast<QListWidget*>(pDlg->GetControl(res::IDC_FUNCTIONS));
        pLines->clear();
        for (int i = 0; i < pList->count(); ++i)
        {
            *pLines << pList->item(i)->text();
        }
        if (nRow >= 0)
        {
            ClickRow(pList, nRow);
        }
        ClickButton(pDlg, bOK ? res::IDOK : res::IDCANCEL);
    };
}

// The five boxes of the parameters dialog, in table order.
constexpr std::array<unsigned, 5> kParamBoxes = {res::IDC_XMIN, res::IDC_YMIN, res::IDC_XMAX,
                                                 res::IDC_YMAX, res::IDC_DIVISIONS};
struct CParamsAnswer
{
    // X min, Y min, X max, Y max, divisions; none: left as shown.
    std::array<std::optional<QString>, 5> m_texts;
    bool m_bToggleGrid = false;
    bool m_bOK = true;
};
struct CParamsSeen
{
    QStringList m_texts; // as kParamBoxes
    bool m_bGrid = false;
};

CModalDriver::FnAct AnswerParams(CParamsAnswer answer, CParamsSeen* pSeen)
{
    return [=](QWidget* pWidget)
    {
        auto* pDlg = dynamic_cast<CParamsDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr) << "expected the parameters dialog";
        pSeen->m_texts.clear();
        for (std::size_t i = 0; i < kParamBoxes.size(); ++i)
        {
            pSeen->m_texts << pDlg->GetControlText(kParamBoxes[i]);
            if (answer.m_texts[i].has_value())
            {
                ReplaceText(pDlg->GetControl(kParamBoxes[i]), *answer.m_texts[i]);
            }
        }
        pSeen->m_bGrid = pDlg->IsDlgButtonChecked(res::IDC_GRID);
        if (answer.m_bToggleGrid)
        {
            ClickButton(pDlg, res::IDC_GRID);
        }
        ClickButton(pDlg, answer.m_bOK ? res::IDOK : res::IDCANCEL);
    };
}

// Counts the paints a widget receives.
class CPaintCounter : public QObject
{
public:
    explicit CPaintCounter(QWidget* pWidget) { pWidget->installEventFilter(this); }
    bool eventFilter(QObject* /*pObject*/, QEvent* pEvent) override
    {
        m_nPaints += pEvent->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int m_nPaints = 0;
};

class CEditCommandsTest : public CShellTest
{
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        ASSERT_TRUE(Start());
        m_pView = View(0);
        ASSERT_NE(m_pView, nullptr);
        m_pDoc = m_pView->GetDocument();
        ASSERT_NE(m_pDoc, nullptr);
    }
    void TearDown() override
    {
        EXPECT_TRUE(m_driver.Done()) << "a dialog the test expected did not open";
        CShellTest::TearDown();
        std::setlocale(LC_ALL, "C");
    }

    CTraceloView* View(std::size_t nWindow) const
    {
        return Children().at(nWindow)->GetActiveView();
    }

    // Adds a function through "Nuova Funzione".
    void AddFunction(const QString& strExpression, int nColorRow)
    {
        CFunctionSeen seen;
        m_driver.Then(AnswerFunction({strExpression, nColorRow, true}, &seen));
        Command(res::ID_FUNCTION_NEW);
        ASSERT_TRUE(seen.m_bOpened);
    }

    std::vector<std::string> Expressions() const
    {
        std::vector<std::string> v;
        for (const CGraphFunction& function : *m_pDoc->m_pFunctions)
        {
            v.push_back(function.m_strExpression);
        }
        return v;
    }

    // Zooms the view as the mouse would: its own window only.
    void Zoom(CTraceloView* pView, double dXMin, double dXMax, double dYMin, double dYMax)
    {
        pView->SetWindow(CPlotWindow{dXMin, dXMax, dYMin, dYMax});
        pView->ResampleAndRedraw();
    }

    // Opens a dialog the command must not open: records it and cancels it.
    CModalDriver::FnAct Unexpected()
    {
        return [this](QWidget* pWidget)
        {
            m_bUnexpected = true;
            ADD_FAILURE() << "unexpected dialog " << pWidget->windowTitle().toStdString();
            if (auto* pDlg = dynamic_cast<CDialog*>(pWidget))
            {
                pDlg->OnCancel();
            }
        };
    }

    CModalDriver m_driver;
    CTraceloView* m_pView = nullptr;
    CTraceloDoc* m_pDoc = nullptr;
    bool m_bUnexpected = false;
};

// ---------------------------------------------------------- new function

TEST_F(CEditCommandsTest, NewFunctionIsAppendedSampledAndMarksTheGraph)
{
    EXPECT_FALSE(m_pDoc->IsModified());
    CFunctionSeen seen;
    m_driver.Then(AnswerFunction({QString("SIN(X)"), 2, true}, &seen));
    CPaintCounter paints(m_pView);
    Command(res::ID_FUNCTION_NEW);
    EXPECT_TRUE(seen.m_bOpened);
    EXPECT_EQ(seen.m_strExpression, "");
    EXPECT_EQ(seen.m_nPreselected, -1);

    ASSERT_EQ(m_pDoc->m_pFunctions->size(), 1u);
    const CGraphFunction& function = m_pDoc->m_pFunctions->front();
    EXPECT_EQ(function.m_strExpression, "SIN(X)");
    EXPECT_EQ(function.m_crColor, 0x0000FFu);
    EXPECT_EQ(function.m_pEvaluator, m_pDoc->m_pEvaluator.get());
    EXPECT_EQ(function.m_pPoints->m_window, m_pDoc->m_window);
    // 500 steps from -2 to 2: 501 samples, the first at X min.
    EXPECT_GE(function.m_pPoints->GetCount(), 500u);
    EXPECT_LE(function.m_pPoints->GetCount(), 501u);
    EXPECT_EQ(function.m_pPoints->begin()->m_dX, -2.0);
    EXPECT_TRUE(m_pDoc->IsModified());
    EXPECT_GE(paints.m_nPaints, 1);
    EXPECT_FALSE(QGuiApplication::overrideCursor() != nullptr);

    AddFunction("X^2", 4);
    EXPECT_EQ(Expressions(), (std::vector<std::string>{"SIN(X)", "X^2"}));
    EXPECT_EQ(m_pDoc->m_pFunctions->back().m_crColor, 0x80FFFFu);
}

TEST_F(CEditCommandsTest, CancelledNewFunctionChangesNothing)
{
    CFunctionSeen seen;
    m_driver.Then(AnswerFunction({QString("COS(X)"), 3, false}, &seen));
    Command(res::ID_FUNCTION_NEW);
    EXPECT_TRUE(seen.m_bOpened);
    EXPECT_TRUE(m_pDoc->m_pFunctions->empty());
    EXPECT_FALSE(m_pDoc->IsModified());
}

TEST_F(CEditCommandsTest, NewFunctionIsSampledOverTheZoomedWindow)
{
    Zoom(m_pView, 0.5, 1.0, -0.25, 0.25);
    m_pDoc->m_nDivisions = 40;
    AddFunction("X", -1);
    const CGraphFunction& function = m_pDoc->m_pFunctions->front();
    EXPECT_EQ(function.m_pPoints->m_window, (CPlotWindow{0.5, 1.0, -0.25, 0.25}));
    EXPECT_GE(function.m_pPoints->GetCount(), 40u);
    EXPECT_LE(function.m_pPoints->GetCount(), 41u);
    // No colour clicked: black.
    EXPECT_EQ(function.m_crColor, 0u);
    // The graph's own window is untouched.
    EXPECT_EQ(m_pDoc->m_window, (CPlotWindow{-2, 2, -2, 2}));
}

TEST_F(CEditCommandsTest, MalformedAndEmptyExpressionsAreAddedAsTyped)
{
    AddFunction("", 1);
    AddFunction("  SIN(( ", 0);
    ASSERT_EQ(Expressions(), (std::vector<std::string>{"", "  SIN(( "}));
    // The empty text is the line Y = 0; the malformed one has no points,
    // but is a function all the same.
    const CPointList& empty = *m_pDoc->m_pFunctions->at(0).m_pPoints;
    ASSERT_FALSE(empty.IsEmpty());
    for (const CCurvePoint& pt : empty)
    {
        EXPECT_EQ(pt.m_dY, 0.0);
    }
    EXPECT_TRUE(m_pDoc->m_pFunctions->at(1).m_pPoints->IsEmpty());
    EXPECT_TRUE(m_pDoc->IsModified());

    // The empty one is an empty line of the selection dialog.
    QStringList lines;
    m_driver.Then(AnswerSelection(-1, false, &lines));
    Command(res::ID_FUNCTION_EDIT);
    EXPECT_EQ(lines, (QStringList{"", "  SIN(( "}));
}

// --------------------------------------------------------- edit function

TEST_F(CEditCommandsTest, EditAndDeleteOnAGraphWithoutFunctionsOpenNothing)
{
    for (unsigned nID : {res::ID_FUNCTION_EDIT, res::ID_FUNCTION_DELETE, res::ID_OPS})
    {
        CModalDriver driver;
        driver.Then(Unexpected());
        Command(nID);
        ProcessEvents();
        EXPECT_FALSE(m_bUnexpected) << nID;
        EXPECT_FALSE(driver.Done()) << nID;
        EXPECT_FALSE(m_pDoc->IsModified()) << nID;
    }
}

TEST_F(CEditCommandsTest, EditChangesTheChosenFunctionAloneAndResamplesIt)
{
    AddFunction("X", 1);
    AddFunction("X^2", 2);
    AddFunction("X^3", 3);
    // Zoomed after the additions: only a resampled function follows it.
    Zoom(m_pView, -1, 1, -1, 1);
    for (CGraphFunction& function : *m_pDoc->m_pFunctions)
    {
        function.Sample(CPlotWindow{-2, 2, -2, 2}, 500);
    }
    m_pDoc->SetModifiedFlag(false);

    QStringList lines;
    CFunctionSeen seen;
    m_driver.Then(AnswerSelection(1, true, &lines));
    m_driver.Then(AnswerFunction({QString("SQRT(X)"), 7, true}, &seen));
    Command(res::ID_FUNCTION_EDIT);

    EXPECT_EQ(lines, (QStringList{"X", "X^2", "X^3"}));
    EXPECT_EQ(seen.m_strExpression, "X^2");
    EXPECT_EQ(Expressions(), (std::vector<std::string>{"X", "SQRT(X)", "X^3"}));
    const CFunctionList& functions = *m_pDoc->m_pFunctions;
    EXPECT_EQ(functions[1].m_crColor, 0x00FF00u);
    EXPECT_EQ(functions[0].m_crColor, 0x000000u);
    EXPECT_EQ(functions[2].m_crColor, 0xFF0000u);
    EXPECT_EQ(functions[1].m_pPoints->m_window, (CPlotWindow{-1, 1, -1, 1}));
    EXPECT_EQ(functions[0].m_pPoints->m_window, (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_EQ(functions[2].m_pPoints->m_window, (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_TRUE(m_pDoc->IsModified());
}

TEST_F(CEditCommandsTest, EditedFunctionKeepsItsColourWhenNoneIsClicked)
{
    AddFunction("SIN(X)", 2); // red
    m_pDoc->m_pFunctions->emplace_back(m_pDoc->m_pEvaluator.get());
    m_pDoc->m_pFunctions->back().m_strExpression = "COS(X)";
    m_pDoc->m_pFunctions->back().m_crColor = 0x123456; // from a file, outside the palette

    CFunctionSeen seen;
    QStringList lines;
    m_driver.Then(AnswerSelection(-1, true, &lines));
    m_driver.Then(AnswerFunction({QString("SIN(2*X)"), -1, true}, &seen));
    Command(res::ID_FUNCTION_EDIT);
    EXPECT_EQ(seen.m_nPreselected, 2);
    EXPECT_EQ(m_pDoc->m_pFunctions->at(0).m_strExpression, "SIN(2*X)");
    EXPECT_EQ(m_pDoc->m_pFunctions->at(0).m_crColor, 0x0000FFu);

    m_driver.Then(AnswerSelection(1, true, &lines));
    m_driver.Then(AnswerFunction({std::nullopt, -1, true}, &seen));
    Command(res::ID_FUNCTION_EDIT);
    EXPECT_EQ(seen.m_strExpression, "COS(X)");
    EXPECT_EQ(seen.m_nPreselected, -1);
    EXPECT_EQ(m_pDoc->m_pFunctions->at(1).m_crColor, 0x123456u);
}

// The list holds the functions themselves, so a change of it while the
// function dialog is up moves them: the edit goes to the function at the
// chosen place once the dialog closes, or nowhere when there is none.
TEST_F(CEditCommandsTest, EditFindsItsFunctionAgainAfterTheListChanged)
{
    const struct
    {
        const char* m_pszName;
        std::size_t m_nAddedMeanwhile; // 0: the list is emptied instead
    } kCases[] = {{"grown into a new block", 1000}, {"emptied", 0}};
    for (const auto& c : kCases)
    {
        m_pDoc->DeleteFunctions();
        AddFunction("SIN(X)", 2);
        m_pDoc->m_pFunctions->shrink_to_fit();
        QStringList lines;
        CFunctionSeen seen;
        m_driver.Then(AnswerSelection(0, true, &lines));
        m_driver.Then(
            [this, &c, &seen](QWidget* pWidget)
            {
                CFunctionList& functions = *m_pDoc->m_pFunctions;
                if (c.m_nAddedMeanwhile == 0)
                    functions.clear();
                for (std::size_t i = 0; i < c.m_nAddedMeanwhile; ++i)
                    functions.emplace_back(m_pDoc->m_pEvaluator.get()).m_strExpression = "X";
                AnswerFunction({QString("SIN(2*X)"), 3, true}, &seen)(pWidget);
            });
        Command(res::ID_FUNCTION_EDIT);
        EXPECT_TRUE(seen.m_bOpened) << c.m_pszName;
        if (c.m_nAddedMeanwhile == 0)
        {
            EXPECT_TRUE(m_pDoc->m_pFunctions->empty()) << c.m_pszName;
            continue;
        }
        ASSERT_EQ(m_pDoc->m_pFunctions->size(), c.m_nAddedMeanwhile + 1) << c.m_pszName;
        const CGraphFunction& edited = m_pDoc->m_pFunctions->front();
        EXPECT_EQ(edited.m_strExpression, "SIN(2*X)") << c.m_pszName;
        EXPECT_EQ(edited.m_pPoints->m_window, m_pView->GetWindow()) << c.m_pszName;
        EXPECT_GE(edited.m_pPoints->GetCount(), 500u) << c.m_pszName;
        EXPECT_EQ(m_pDoc->m_pFunctions->back().m_strExpression, "X") << c.m_pszName;
    }
}

TEST_F(CEditCommandsTest, LongExpressionIsEditedAndSavedWhole)
{
    // Far beyond the 32,767 characters an edit box keeps by default.
    std::string strLong;
    while (strLong.size() < 100000)
    {
        strLong += "X+";
    }
    strLong.back() = '1';
    m_pDoc->m_pFunctions->emplace_back(m_pDoc->m_pEvaluator.get());
    m_pDoc->m_pFunctions->back().m_strExpression = strLong;

    const auto saveAndReload = [this]
    {
        CMemorySink sink;
        CArchive store(sink);
        m_pDoc->Serialize(store);
        CMemorySource source(sink.GetData());
        CArchive load(source);
        CTraceloDoc reloaded;
        reloaded.Serialize(load);
        return reloaded.m_pFunctions->at(0).m_strExpression;
    };

    // OK without a change, then "*2" typed at the end of the text.
    const struct
    {
        QString m_strTyped;
        std::string m_strExpected;
    } kEdits[] = {
        {QString(), strLong},
        {QString("*2"), strLong + "*2"},
    };
    for (const auto& edit : kEdits)
    {
        QStringList lines;
        qsizetype nShown = 0;
        m_driver.Then(AnswerSelection(0, true, &lines));
        m_driver.Then(
            [&](QWidget* pWidget)
            {
                auto* pDlg = dynamic_cast<CFunctionDlg*>(pWidget);
                ASSERT_NE(pDlg, nullptr);
                auto* pEdit = qobject_cast<QLineEdit*>(pDlg->GetControl(res::IDC_EXPRESSION));
                nShown = pEdit->text().size();
                QTest::keyClick(pEdit, Qt::Key_End);
                QTest::keyClicks(pEdit, edit.m_strTyped);
                ClickButton(pDlg, res::IDOK);
            });
        Command(res::ID_FUNCTION_EDIT);
        EXPECT_EQ(nShown, static_cast<qsizetype>(strLong.size()));
        EXPECT_EQ(m_pDoc->m_pFunctions->at(0).m_strExpression, edit.m_strExpected);
        EXPECT_EQ(saveAndReload(), edit.m_strExpected);
        strLong = edit.m_strExpected;
    }
}

TEST_F(CEditCommandsTest, CancelledSelectionChangesNothingCancelledPropertiesStillMark)
{
    AddFunction("X", 1);
    m_pDoc->SetModifiedFlag(false);
    QStringList lines;
    CFunctionSeen seen;

    m_driver.Then(AnswerSelection(0, false, &lines));
    Command(res::ID_FUNCTION_EDIT);
    EXPECT_FALSE(m_pDoc->IsModified());

    m_driver.Then(AnswerSelection(0, true, &lines));
    m_driver.Then(AnswerFunction({QString("X+1"), 5, false}, &seen));
    Command(res::ID_FUNCTION_EDIT);
    EXPECT_TRUE(seen.m_bOpened);
    EXPECT_EQ(Expressions(), (std::vector<std::string>{"X"}));
    EXPECT_EQ(m_pDoc->m_pFunctions->front().m_crColor, 0u);
    // A function was chosen: the graph counts as changed.
    EXPECT_TRUE(m_pDoc->IsModified());
}

// ------------------------------------------------------- delete function

TEST_F(CEditCommandsTest, DeletingTheSecondOfThreeKeepsTheOthersInOrder)
{
    AddFunction("A", 0);
    AddFunction("B", 1);
    AddFunction("C", 2);
    m_pDoc->SetModifiedFlag(false);

    QStringList lines;
    m_driver.Then(AnswerSelection(1, false, &lines));
    Command(res::ID_FUNCTION_DELETE);
    EXPECT_EQ(Expressions().size(), 3u);
    EXPECT_FALSE(m_pDoc->IsModified());

    CPaintCounter paints(m_pView);
    m_driver.Then(AnswerSelection(1, true, &lines));
    Command(res::ID_FUNCTION_DELETE);
    EXPECT_EQ(lines, (QStringList{"A", "B", "C"}));
    EXPECT_EQ(Expressions(), (std::vector<std::string>{"A", "C"}));
    EXPECT_TRUE(m_pDoc->IsModified());
    EXPECT_GE(paints.m_nPaints, 1);

    // The next save writes two records.
    CMemorySink sink;
    CArchive ar(sink);
    m_pDoc->Serialize(ar);
    const std::vector<std::uint8_t>& bytes = sink.GetData();
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes[40], 2);
    EXPECT_EQ(bytes.size(), 44u + 2 * (1 + 1 + 4));
}

// ------------------------------------------------------------ parameters

TEST_F(CEditCommandsTest, ParametersShowTheGraphsWindowAndOKEndsTheZoom)
{
    AddFunction("X", 1);
    Zoom(m_pView, 0.25, 0.5, 0.75, 1.0);
    m_pDoc->SetModifiedFlag(false);

    CParamsSeen seen;
    m_driver.Then(AnswerParams({}, &seen));
    Command(res::ID_EDIT_PARAMETERS);
    EXPECT_EQ(seen.m_texts,
              (QStringList{"-2.00000000", "-2.00000000", "2.00000000", "2.00000000", "500"}));
    EXPECT_TRUE(seen.m_bGrid);
    // OK without changes: back to the graph's window, resampled.
    EXPECT_EQ(m_pView->GetWindow(), (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_EQ(m_pDoc->m_pFunctions->front().m_pPoints->m_window, (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_TRUE(m_pDoc->IsModified());
}

TEST_F(CEditCommandsTest, CancelledParametersKeepTheZoomAndTheGraphClean)
{
    Zoom(m_pView, 0.25, 0.5, 0.75, 1.0);
    CParamsSeen seen;
    CParamsAnswer answer;
    answer.m_texts = {QString("-9"), QString("-9"), QString("9"), QString("9"), QString("20")};
    answer.m_bToggleGrid = true;
    answer.m_bOK = false;
    m_driver.Then(AnswerParams(answer, &seen));
    Command(res::ID_EDIT_PARAMETERS);
    EXPECT_EQ(seen.m_texts.size(), 5);
    EXPECT_EQ(m_pView->GetWindow(), (CPlotWindow{0.25, 0.5, 0.75, 1.0}));
    EXPECT_EQ(m_pDoc->m_window, (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_EQ(m_pDoc->m_nDivisions, 500);
    EXPECT_TRUE(m_pDoc->m_bGrid);
    EXPECT_FALSE(m_pDoc->IsModified());
}

struct CParamsCase
{
    std::array<const char*, 5> m_texts; // X min, Y min, X max, Y max, divisions
    CPlotWindow m_window;               // as stored
    std::int32_t m_nDivisions;
};

TEST_F(CEditCommandsTest, ParametersAreCorrectedWhenStored)
{
    const CParamsCase kCases[] = {
        {{"3", "0", "1", "0", "0"}, {3, 3.1, 0, 0.1}, 10},
        {{"-1", "5", "-1", "-5", "9"}, {-1, -0.9, 5, 5.1}, 10},
        {{"0", "-1", "1", "1", "-5"}, {0, 1, -1, 1}, 10},
        {{"pi", "1", "-2pi", "2", "10"}, {kPi, kPi + 0.1, 1, 2}, 10},
        {{"-2PI", "-1", "2PI", "1", "100000"}, {-2 * kPi, 2 * kPi, -1, 1}, 100000},
        {{"inf", "nan", "1e999", "abc", "12abc"}, {0, 0.1, 0, 0.1}, 12},
        {{"-1", "-1", "1", "1", "2000000"}, {-1, 1, -1, 1}, kMaxDivisions},
        {{"-1", "-1", "1", "1", "99999999999"}, {-1, 1, -1, 1}, kMaxDivisions},
        {{"-1", "-1", "1", "1", "-99999999999"}, {-1, 1, -1, 1}, 10},
        // 0.1 is lost in the sum above about 1e16: the next double instead.
        {{"1e17", "-1e300", "1e17", "-1e301", "10"},
         {1e17, 1e17 + 16, -1e300, std::nextafter(-1e300, 0.0)},
         10},
    };
    for (const CParamsCase& c : kCases)
    {
        CParamsSeen seen;
        CParamsAnswer answer;
        for (std::size_t i = 0; i < 5; ++i)
        {
            answer.m_texts[i] = QString(c.m_texts[i]);
        }
        m_driver.Then(AnswerParams(answer, &seen));
        Command(res::ID_EDIT_PARAMETERS);
        const std::string strCase = std::string(c.m_texts[0]) + " " + c.m_texts[2];
        EXPECT_EQ(m_pDoc->m_window, c.m_window) << strCase;
        EXPECT_EQ(m_pView->GetWindow(), c.m_window) << strCase;
        EXPECT_EQ(m_pDoc->m_nDivisions, c.m_nDivisions) << strCase;
    }
}

TEST_F(CEditCommandsTest, ParametersResampleEveryFunctionWithTheNewDivisions)
{
    AddFunction("X", 1);
    AddFunction("X^2", 2);
    m_pDoc->SetModifiedFlag(false);
    CParamsSeen seen;
    CParamsAnswer answer;
    answer.m_texts = {QString("0"), QString("-1"), QString("4"), QString("1"), QString("20")};
    answer.m_bToggleGrid = true;
    m_driver.Then(AnswerParams(answer, &seen));
    Command(res::ID_EDIT_PARAMETERS);
    EXPECT_FALSE(m_pDoc->m_bGrid);
    for (const CGraphFunction& function : *m_pDoc->m_pFunctions)
    {
        EXPECT_EQ(function.m_pPoints->m_window, (CPlotWindow{0, 4, -1, 1}));
        EXPECT_GE(function.m_pPoints->GetCount(), 20u);
        EXPECT_LE(function.m_pPoints->GetCount(), 21u);
        EXPECT_EQ(function.m_pPoints->begin()->m_dX, 0.0);
    }
    EXPECT_TRUE(m_pDoc->IsModified());
}

TEST_F(CEditCommandsTest, ParametersFollowTheItalianNumberFormat)
{
    if (std::setlocale(LC_ALL, "it_IT.UTF-8") == nullptr)
    {
        GTEST_SKIP() << "it_IT.UTF-8 is not installed";
    }
    m_pDoc->m_window.m_dXMin = -1.5;
    CParamsSeen seen;
    CParamsAnswer answer;
    answer.m_texts = {std::nullopt, QString("1.5"), QString("2,75"), QString("1,5"), std::nullopt};
    m_driver.Then(AnswerParams(answer, &seen));
    Command(res::ID_EDIT_PARAMETERS);
    EXPECT_EQ(seen.m_texts,
              (QStringList{"-1,50000000", "-2,00000000", "2,00000000", "2,00000000", "500"}));
    EXPECT_EQ(m_pDoc->m_window, (CPlotWindow{-1.5, 2.75, 1, 1.5}));
}

// ------------------------------------------------------ windows and menu

TEST_F(CEditCommandsTest, OnlyTheWindowThatRanTheCommandFollowsIt)
{
    Command(res::ID_WINDOW_NEW);
    ASSERT_EQ(Children().size(), 2u);
    CTraceloView* pOther = View(1);
    CTraceloView* pRunning = View(0);
    ASSERT_NE(pOther, pRunning);
    Frame()->MDIActivate(Children()[0]);
    ProcessEvents();
    Zoom(pOther, 0, 1, 0, 1);
    Zoom(pRunning, 1, 2, 1, 2);
    ProcessEvents();

    CPaintCounter otherPaints(pOther);
    CPaintCounter runningPaints(pRunning);
    AddFunction("X", 1);
    ProcessEvents();
    // One list: the other window has the function too, unpainted until it
    // next paints.
    EXPECT_EQ(pOther->GetFunctions(), pRunning->GetFunctions());
    EXPECT_EQ(pOther->GetFunctions()->size(), 1u);
    EXPECT_GE(runningPaints.m_nPaints, 1);
    EXPECT_EQ(otherPaints.m_nPaints, 0);

    CParamsSeen seen;
    m_driver.Then(AnswerParams({}, &seen));
    Command(res::ID_EDIT_PARAMETERS);
    EXPECT_EQ(pRunning->GetWindow(), (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_EQ(pOther->GetWindow(), (CPlotWindow{0, 1, 0, 1}));
}

TEST_F(CEditCommandsTest, NewFunctionThroughTheContextMenu)
{
    QWidget* pChild = Children()[0];
    const QPoint ptClick(40, 40);
    bool bChosen = false;
    m_driver.Then(
        [&](QWidget* pWidget)
        {
            auto* pMenu = qobject_cast<QMenu*>(pWidget);
            ASSERT_NE(pMenu, nullptr) << "expected the context menu";
            for (QAction* pAction : pMenu->actions())
            {
                if (pAction->text() == "Nuova Funzione")
                {
                    bChosen = true;
                    pMenu->setActiveAction(pAction);
                    QTest::keyClick(pMenu, Qt::Key_Return);
                    return;
                }
            }
            pMenu->close();
        });
    CFunctionSeen seen;
    m_driver.Then(AnswerFunction({QString("LN(X)"), 6, true}, &seen));
    QContextMenuEvent event(QContextMenuEvent::Mouse, ptClick, m_pView->mapToGlobal(ptClick));
    QApplication::sendEvent(pChild, &event);
    ProcessEvents();
    EXPECT_TRUE(bChosen);
    EXPECT_TRUE(seen.m_bOpened);
    EXPECT_EQ(Expressions(), (std::vector<std::string>{"LN(X)"}));
    EXPECT_EQ(m_pDoc->m_pFunctions->front().m_crColor, 0x800080u);
    EXPECT_TRUE(m_pDoc->IsModified());
}

// ------------------------------------------------------ the kept picture

// The graph as a paint would draw it now, from scratch.
QImage DrawnNow(CTraceloView* pView)
{
    QImage image(pView->size(), QImage::Format_RGB32);
    image.fill(pView->palette().color(QPalette::Base));
    QPainter painter(&image);
    {
        CQtDrawDevice dc(&painter);
        pView->OnPrepareDC();
        pView->DrawPlot(&dc);
    }
    return image;
}

// Each change of what the graph is drawn from draws it anew, on the next
// paint of every window that shows it (the commands run in a second window
// on the graph); any other paint shows the kept picture, which is then what
// a drawing from scratch gives.
TEST_F(CEditCommandsTest, EveryChangeDrawsTheGraphAnewAndNoOtherPaintDoes)
{
    CTraceloView* pOther = nullptr;
    QStringList lines;
    CFunctionSeen seen;
    const QPoint ptAnchor(380, 200);
    struct
    {
        const char* pszName;
        std::function<void()> fnAct;
        bool bDrawn;
    } cases[] = {
        {"a paint asked for, nothing changed", [&] { m_pView->update(); }, false},
        {"a new function", [&] { AddFunction("RAND(1)/8192-2", 2); }, true},
        {"the window uncovered", [&] { m_pView->repaint(); }, false},
        {"another function", [&] { AddFunction("X^2", 4); }, true},
        {"the rubber band moved",
         [&]
         {
             QTest::mousePress(m_pView, Qt::LeftButton, {}, ptAnchor);
             QTest::mouseMove(m_pView, ptAnchor + QPoint(60, 50));
         },
         false},
        {"the band let go: zoomed",
         [&] { QTest::mouseRelease(m_pView, Qt::LeftButton, {}, ptAnchor + QPoint(60, 50)); },
         true},
        {"resized",
         [&]
         {
             QWidget* pFrame = m_pView->parentWidget();
             pFrame->resize(pFrame->size() + QSize(40, 10));
         },
         true},
        {"the grid switched off", [&] { m_pDoc->m_bGrid = false; }, true},
        {"resampled over the same window", [&] { m_pView->ResampleAndRedraw(); }, true},
        {"a function edited",
         [&]
         {
             m_driver.Then(AnswerSelection(1, true, &lines));
             m_driver.Then(AnswerFunction({QString("X^3"), -1, true}, &seen));
             Command(res::ID_FUNCTION_EDIT);
         },
         true},
        {"a colour changed alone",
         [&]
         {
             m_driver.Then(AnswerSelection(1, true, &lines));
             m_driver.Then(AnswerFunction({std::nullopt, 6, true}, &seen));
             Command(res::ID_FUNCTION_EDIT);
         },
         true},
        {"a colour changed behind the view's back",
         [&] { m_pDoc->m_pFunctions->back().m_crColor = 0x0000FF; }, true},
        {"the second window zoomed", [&] { Zoom(pOther, -1, 1, -1, 1); }, true},
        {"the second window resampled over its same window", [&] { pOther->ResampleAndRedraw(); },
         true},
        {"a function deleted",
         [&]
         {
             m_driver.Then(AnswerSelection(0, true, &lines));
             Command(res::ID_FUNCTION_DELETE);
         },
         true},
    };
    // A second window on the graph, active: the commands below run in it.
    Command(res::ID_WINDOW_NEW);
    pOther = View(1);
    ASSERT_NE(pOther, m_pView);
    ProcessEvents();
    m_pView->repaint();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        const std::uint64_t nBefore = m_pView->GetGraphDrawings();
        c.fnAct();
        ProcessEvents();
        m_pView->repaint();
        EXPECT_EQ(m_pView->GetGraphDrawings() - nBefore, c.bDrawn ? 1u : 0u);
        if (!m_pView->IsDragging())
        {
            EXPECT_EQ(m_pView->grab().toImage().convertToFormat(QImage::Format_RGB32),
                      DrawnNow(m_pView));
        }
    }
}

} // namespace
