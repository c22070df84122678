// The three editing dialogs driven as a user drives them: typing, clicking a
// colour or a line, OK or Cancel.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <functional>
#include <gtest/gtest.h>

#include "res/EditDialogs.h"
#include "res/ShellResources.h"
#include "shell/AboutDlg.h"
#include "shell/ColorIcons.h"
#include "shell/FunctionDlg.h"
#include "shell/ParamsDlg.h"
#include "shell/SelectFunctionDlg.h"

namespace
{

constexpr double kPi = 3.141592653589793;
constexpr int kOK = static_cast<int>(res::IDOK);
constexpr int kCancel = static_cast<int>(res::IDCANCEL);

class EditDialogsTest : public ::testing::Test
{
protected:
    void UseLocale(const char* pszName)
    {
        if (std::setlocale(LC_ALL, pszName) == nullptr)
        {
            GTEST_SKIP() << "locale " << pszName << " is not installed";
        }
    }
    void SetUp() override { UseLocale("en_US.UTF-8"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    // Opens dlg modally; fnUser acts on it while it is shown and must end it.
    // Returns what DoModal returned.
    static int Run(CDialog& dlg, const std::function<void(CDialog&)>& fnUser)
    {
        bool bActed = false;
        QTimer::singleShot(0, &dlg,
                           [&]
                           {
                               bActed = true;
                               EXPECT_TRUE(dlg.isVisible());
                               fnUser(dlg);
                           });
        // A user who did not end the dialog: end it so the test cannot hang.
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, &dlg,
                         [&]
                         {
                             ADD_FAILURE() << "the dialog stayed open";
                             dlg.OnCancel();
                         });
        guard.start(5000);
        const int nResult = dlg.DoModal();
        EXPECT_TRUE(bActed);
        return nResult;
    }

    static void Click(CDialog& dlg, unsigned nID)
    {
        auto* pButton = qobject_cast<QAbstractButton*>(dlg.GetControl(nID));
        ASSERT_NE(pButton, nullptr) << nID;
        QTest::mouseClick(pButton, Qt::LeftButton);
    }

    static void ClickItem(CDialog& dlg, unsigned nID, int nRow)
    {
        auto* pList = qobject_cast<QListWidget*>(dlg.GetControl(nID));
        ASSERT_NE(pList, nullptr);
        ASSERT_LT(nRow, pList->count());
        const QRect rect = pList->visualItemRect(pList->item(nRow));
        ASSERT_TRUE(pList->viewport()->rect().contains(rect.center())) << "row " << nRow;
        QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Replaces the text of an edit box as a user would: select all, type.
    static void Type(CDialog& dlg, unsigned nID, const QString& strText)
    {
        auto* pEdit = qobject_cast<QLineEdit*>(dlg.GetControl(nID));
        ASSERT_NE(pEdit, nullptr) << nID;
        pEdit->setFocus();
        QTest::keyClick(pEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pEdit, Qt::Key_Delete);
        QTest::keyClicks(pEdit, strText);
        ASSERT_EQ(pEdit->text(), strText);
    }

    static QListWidget* List(CDialog& dlg, unsigned nID)
    {
        return qobject_cast<QListWidget*>(dlg.GetControl(nID));
    }

    static QStringList Lines(QListWidget* pList)
    {
        QStringList lines;
        for (int i = 0; i < pList->count(); ++i)
        {
            lines << pList->item(i)->text();
        }
        return lines;
    }
};

// ---------------------------------------------------------------- layout

struct CControlPlace
{
    unsigned m_nID;
    QRect m_rectDlu;
};

void ExpectLayout(CDialog& dlg, const res::CDialogTemplate& tmpl)
{
    const CDialogBaseUnits units = dlg.GetBaseUnits();
    EXPECT_EQ(dlg.size(), MapDialogRect(QRect(0, 0, tmpl.m_nWidth, tmpl.m_nHeight), units).size());
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(tmpl.m_pszCaption));
    for (const res::CControlTemplate& control : tmpl.m_controls)
    {
        const QRect rectDlu(control.m_nX, control.m_nY, control.m_nWidth, control.m_nHeight);
        if (control.m_nID == res::IDC_STATIC)
        {
            // A text without id: found by its words.
            bool bFound = false;
            for (QLabel* pLabel : dlg.findChildren<QLabel*>())
            {
                if (pLabel->text() == QString::fromUtf8(control.m_pszText))
                {
                    bFound = true;
                    EXPECT_EQ(pLabel->geometry(), MapDialogRect(rectDlu, units))
                        << control.m_pszText;
                }
            }
            EXPECT_TRUE(bFound) << control.m_pszText;
            continue;
        }
        QWidget* pWidget = dlg.GetControl(control.m_nID);
        ASSERT_NE(pWidget, nullptr) << control.m_nID;
        EXPECT_EQ(pWidget->geometry(), MapDialogRect(rectDlu, units)) << control.m_nID;
        EXPECT_EQ(pWidget->parentWidget(), &dlg);
    }
}

TEST_F(EditDialogsTest, DialogsStandAtTheirTablePositionsInTheDialogFont)
{
    CFunctionDlg function;
    CParamsDlg params;
    CSelectFunctionDlg select;
    ExpectLayout(function, res::kFunctionDialog);
    ExpectLayout(params, res::kParamsDialog);
    ExpectLayout(select, res::kSelectFunctionDialog);

    EXPECT_EQ(function.windowTitle(), QString::fromUtf8("Proprietà della Funzione..."));
    EXPECT_EQ(params.windowTitle(), "Impostazione Parametri");
    EXPECT_EQ(select.windowTitle(), "Selezionare la Funzione...");
    EXPECT_EQ(params.GetControlText(res::IDC_GRID), "Griglia");
    EXPECT_EQ(select.GetControlText(res::IDOK), "OK");
    EXPECT_EQ(select.GetControlText(res::IDCANCEL), "Cancel");

    // "MS Sans Serif" 8 points gives the base units of the platform's
    // dialogs: 6 by 13 pixels at 96 dots per inch.
    if (QFontInfo(function.font()).family() == "MS Sans Serif")
    {
        EXPECT_EQ(function.GetBaseUnits().m_cx, 6);
        EXPECT_EQ(function.GetBaseUnits().m_cy, 13);
        EXPECT_EQ(function.size(), QSize(345, 177));
        EXPECT_EQ(params.size(), QSize(182, 244));
        EXPECT_EQ(select.size(), QSize(342, 203));
    }
}

TEST_F(EditDialogsTest, TabVisitsTheTabStopsInTableOrder)
{
    CParamsDlg dlg;
    dlg.m_nDivisions = 500;
    QStringList visited;
    Run(dlg,
        [&](CDialog& d)
        {
            d.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
            for (int i = 0; i < 9; ++i)
            {
                visited << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            d.OnCancel();
        });
    const QStringList expected = {"control1012", "control1015", "control1016",
                                  "control1017", "control1018", "control1013",
                                  "control1",    "control2",    "control1012"};
    EXPECT_EQ(visited, expected);
}

// Every dialog comes from the one builder: each control of its table takes
// the focus as its kind and tab stop say, and the tab stops follow each
// other in the table's order.
TEST_F(EditDialogsTest, EveryDialogTakesTheFocusAsItsTableSays)
{
    CAboutDlg about;
    CFunctionDlg function;
    CParamsDlg params;
    CSelectFunctionDlg select;
    const std::pair<CDialog*, const res::CDialogTemplate*> kDialogs[] = {
        {&about, res::FindDialog(res::IDD_ABOUTBOX)},
        {&function, &res::kFunctionDialog},
        {&params, &res::kParamsDialog},
        {&select, &res::kSelectFunctionDialog},
    };
    for (const auto& [pDlg, pTemplate] : kDialogs)
    {
        ASSERT_NE(pTemplate, nullptr);
        const QString strDialog = QString::fromUtf8(pTemplate->m_pszCaption);
        QList<QWidget*> tabStops;
        for (const res::CControlTemplate& control : pTemplate->m_controls)
        {
            if (control.m_nID == res::IDC_STATIC)
            {
                continue;
            }
            QWidget* pWidget = pDlg->GetControl(control.m_nID);
            ASSERT_NE(pWidget, nullptr) << strDialog.toStdString() << " " << control.m_nID;
            Qt::FocusPolicy eExpected = Qt::ClickFocus;
            if (control.m_nStyle & res::CS_TABSTOP)
            {
                eExpected = Qt::StrongFocus;
                tabStops << pWidget;
            }
            else if (qobject_cast<QPushButton*>(pWidget) != nullptr ||
                     qobject_cast<QLabel*>(pWidget) != nullptr)
            {
                eExpected = Qt::NoFocus; // a text, or a button out of the tab order
            }
            EXPECT_EQ(pWidget->focusPolicy(), eExpected)
                << strDialog.toStdString() << " " << control.m_nID;
            if (auto* pButton = qobject_cast<QPushButton*>(pWidget))
            {
                // Only a button in the tab order becomes the default when focused.
                EXPECT_EQ(pButton->autoDefault(), (control.m_nStyle & res::CS_TABSTOP) != 0);
                EXPECT_EQ(pButton->isDefault(),
                          control.m_eKind == res::EControlKind::DefPushButton);
            }
        }
        ASSERT_FALSE(tabStops.isEmpty()) << strDialog.toStdString();
        QList<QWidget*> chain;
        QWidget* pWidget = tabStops.front();
        do
        {
            if (pWidget->focusPolicy() & Qt::TabFocus)
            {
                chain << pWidget;
            }
            pWidget = pWidget->nextInFocusChain();
        } while (pWidget != tabStops.front() && pWidget != nullptr && chain.size() <= 20);
        EXPECT_EQ(chain, tabStops) << strDialog.toStdString();
    }
}

// ------------------------------------------------------- function dialog

TEST(ColorIconTest, DiscOfTheColourWithBlackOutlineOnTransparentGround)
{
    for (int nSize : {16, 32})
    {
        const QImage image = DrawColorDisc(nSize, 0x0000FF).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(nSize, nSize));
        const int c = nSize / 2;
        EXPECT_EQ(image.pixel(c, c), qRgba(255, 0, 0, 255)) << nSize;
        EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 0)) << nSize;
        EXPECT_EQ(image.pixel(nSize - 1, nSize - 1), qRgba(0, 0, 0, 0)) << nSize;
        EXPECT_EQ(image.pixel(0, c), qRgba(0, 0, 0, 255)) << nSize;
        EXPECT_EQ(image.pixel(c, 0), qRgba(0, 0, 0, 255)) << nSize;
        EXPECT_EQ(image.pixel(c, nSize - 1), qRgba(0, 0, 0, 255)) << nSize;
        EXPECT_EQ(image.pixel(nSize - 1, c), qRgba(0, 0, 0, 255)) << nSize;
    }
    const QIcon icon = MakeColorIcon(0x00FFFF);
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    EXPECT_EQ(icon.pixmap(16, 16).toImage().pixel(8, 8), qRgba(255, 255, 0, 255));
}

TEST_F(EditDialogsTest, FunctionDialogOpensWithTheNineColoursNoneSelected)
{
    CFunctionDlg dlg;
    dlg.m_strExpression = "SIN(X)";
    Run(dlg,
        [](CDialog& d)
        {
            QListWidget* pColors = List(d, res::IDC_COLORS);
            ASSERT_NE(pColors, nullptr);
            const QStringList expected = {"Grigio", "Nero",    "Rosso", QString::fromUtf8("Blù"),
                                          "Giallo", "Celeste", "Viola", "Verde",
                                          "Fucsia"};
            EXPECT_EQ(Lines(pColors), expected);
            EXPECT_TRUE(pColors->selectedItems().isEmpty());
            EXPECT_EQ(pColors->selectionMode(), QAbstractItemView::SingleSelection);
            EXPECT_EQ(pColors->iconSize(), QSize(16, 16));
            for (int i = 0; i < pColors->count(); ++i)
            {
                // Each item shows the icon colour of its position.
                const QImage image =
                    pColors->item(i)->icon().pixmap(16, 16).toImage().convertToFormat(
                        QImage::Format_ARGB32);
                const std::uint32_t cr = res::kPalette[i].m_crIcon;
                EXPECT_EQ(image.pixel(8, 8), qRgba(cr & 0xFF, (cr >> 8) & 0xFF, cr >> 16, 255))
                    << i;
                // Every item lies inside the list, none hidden behind a scroll.
                EXPECT_TRUE(
                    pColors->viewport()->rect().contains(pColors->visualItemRect(pColors->item(i))))
                    << i;
            }
            EXPECT_EQ(d.GetControlText(res::IDC_EXPRESSION), "SIN(X)");
            EXPECT_EQ(d.focusWidget(), d.GetControl(res::IDC_EXPRESSION));
            d.OnCancel();
        });
}

struct CColorChoice
{
    int m_nRow;
    COLORREF m_crColor;
};

TEST_F(EditDialogsTest, ClickedColourComesBackByThePaletteTable)
{
    const CColorChoice kChoices[] = {
        {0, 0x808080}, {1, 0x000000}, {2, 0x0000FF}, {3, 0xFF0000}, {4, 0x80FFFF},
        {5, 0xFFFF00}, {6, 0x800080}, {7, 0x00FF00}, {8, 0xFF00FF},
    };
    for (const CColorChoice& choice : kChoices)
    {
        CFunctionDlg dlg;
        const int nResult = Run(dlg,
                                [&](CDialog& d)
                                {
                                    Type(d, res::IDC_EXPRESSION, "X^2");
                                    ClickItem(d, res::IDC_COLORS, choice.m_nRow);
                                    Click(d, res::IDOK);
                                });
        EXPECT_EQ(nResult, kOK);
        EXPECT_EQ(dlg.m_crColor, choice.m_crColor) << choice.m_nRow;
        EXPECT_EQ(dlg.m_strExpression, "X^2");
    }
}

TEST_F(EditDialogsTest, ExpressionComesBackExactlyAsTyped)
{
    for (const QString& strTyped :
         {QString("  sin(x) + 1 "), QString(""), QString("((("), QString::fromUtf8("x·2")})
    {
        CFunctionDlg dlg;
        dlg.m_strExpression = "COS(X)";
        const int nResult = Run(dlg,
                                [&](CDialog& d)
                                {
                                    Type(d, res::IDC_EXPRESSION, strTyped);
                                    Click(d, res::IDOK);
                                });
        EXPECT_EQ(nResult, kOK);
        EXPECT_EQ(dlg.m_strExpression, strTyped);
        // No colour clicked: black.
        EXPECT_EQ(dlg.m_crColor, 0u);
    }
}

TEST_F(EditDialogsTest, OnlyOneColourIsSelectedAndStaysVisibleWithoutFocus)
{
    CFunctionDlg dlg;
    Run(dlg,
        [](CDialog& d)
        {
            ClickItem(d, res::IDC_COLORS, 2);
            ClickItem(d, res::IDC_COLORS, 7);
            QListWidget* pColors = List(d, res::IDC_COLORS);
            ASSERT_EQ(pColors->selectedItems().size(), 1);
            EXPECT_EQ(pColors->selectedItems().front()->text(), "Verde");
            d.GetControl(res::IDC_EXPRESSION)->setFocus();
            EXPECT_FALSE(pColors->hasFocus());
            const QPalette& palette = pColors->palette();
            EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight),
                      palette.color(QPalette::Active, QPalette::Highlight));
            Click(d, res::IDOK);
        });
    EXPECT_EQ(dlg.m_crColor, 0x00FF00u);
}

TEST_F(EditDialogsTest, CancelAndEscapeLeaveTheMembersAsTheCallerSetThem)
{
    for (bool bEscape : {false, true})
    {
        CFunctionDlg dlg;
        dlg.m_strExpression = "LN(X)";
        dlg.m_crColor = 0x123456;
        const int nResult =
            Run(dlg,
                [&](CDialog& d)
                {
                    Type(d, res::IDC_EXPRESSION, "changed");
                    ClickItem(d, res::IDC_COLORS, 2);
                    if (bEscape)
                    {
                        QTest::keyClick(d.GetControl(res::IDC_EXPRESSION), Qt::Key_Escape);
                    }
                    else
                    {
                        Click(d, res::IDCANCEL);
                    }
                });
        EXPECT_EQ(nResult, kCancel);
        EXPECT_EQ(dlg.m_strExpression, "LN(X)");
        EXPECT_EQ(dlg.m_crColor, 0x123456u);
    }
}

TEST_F(EditDialogsTest, EnterInTheExpressionBoxIsOK)
{
    CFunctionDlg dlg;
    const int nResult = Run(dlg,
                            [](CDialog& d)
                            {
                                Type(d, res::IDC_EXPRESSION, "TAN(X)");
                                QTest::keyClick(d.GetControl(res::IDC_EXPRESSION), Qt::Key_Return);
                            });
    EXPECT_EQ(nResult, kOK);
    EXPECT_EQ(dlg.m_strExpression, "TAN(X)");
}

struct CCurrentColorCase
{
    COLORREF m_crCurrent;
    int m_nPreselected; // -1: none
    int m_nClicked;     // -1: none
    COLORREF m_crResult;
};

TEST_F(EditDialogsTest, EditedFunctionKeepsItsColourUnlessAnotherIsClicked)
{
    const CCurrentColorCase kCases[] = {
        {0x0000FF, 2, -1, 0x0000FF},                              // red stays red
        {0x80FFFF, 4, -1, 0x80FFFF},                              // the pale yellow is "Giallo"
        {0x000000, 1, -1, 0x000000},  {0x0000FF, 2, 7, 0x00FF00}, // another colour clicked
        {0x123456, -1, -1, 0x123456}, // read from a file: kept, nothing selected
        {0x00FFFF, -1, 5, 0xFFFF00},
    };
    for (const CCurrentColorCase& c : kCases)
    {
        CFunctionDlg dlg;
        dlg.m_strExpression = "X";
        dlg.SetCurrentColor(c.m_crCurrent);
        const int nResult =
            Run(dlg,
                [&](CDialog& d)
                {
                    QListWidget* pColors = List(d, res::IDC_COLORS);
                    const QList<QListWidgetItem*> selected = pColors->selectedItems();
                    if (c.m_nPreselected < 0)
                    {
                        EXPECT_TRUE(selected.isEmpty()) << std::hex << c.m_crCurrent;
                    }
                    else
                    {
                        ASSERT_EQ(selected.size(), 1) << std::hex << c.m_crCurrent;
                        EXPECT_EQ(pColors->row(selected.front()), c.m_nPreselected);
                    }
                    EXPECT_EQ(d.focusWidget(), d.GetControl(res::IDC_EXPRESSION));
                    if (c.m_nClicked >= 0)
                    {
                        ClickItem(d, res::IDC_COLORS, c.m_nClicked);
                    }
                    Click(d, res::IDOK);
                });
        EXPECT_EQ(nResult, kOK);
        EXPECT_EQ(dlg.m_crColor, c.m_crResult) << std::hex << c.m_crCurrent;
    }
}

// ----------------------------------------------------- parameters dialog

struct CShownCase
{
    const char* m_pszLocale;
    double m_dXMin;
    std::int32_t m_nDivisions;
    bool m_bGrid;
    const char* m_pszXMin;
    const char* m_pszXMax;
    const char* m_pszDivisions;
};

TEST_F(EditDialogsTest, ParametersAreShownInTheLocalesFormat)
{
    const CShownCase kCases[] = {
        {"en_US.UTF-8", -2.0, 500, true, "-2.00000000", "2.00000000", "500"},
        {"it_IT.UTF-8", -2.0, 500, true, "-2,00000000", "2,00000000", "500"},
        {"en_US.UTF-8", kPi, 5, false, "3.14159265", "2.00000000", "05"},
        {"it_IT.UTF-8", kPi, 5, false, "3,14159265", "2,00000000", "05"},
    };
    for (const CShownCase& c : kCases)
    {
        UseLocale(c.m_pszLocale);
        CParamsDlg dlg;
        dlg.m_window.m_dXMin = c.m_dXMin;
        dlg.m_window.m_dXMax = 2.0;
        dlg.m_window.m_dYMin = -2.0;
        dlg.m_window.m_dYMax = 2.0;
        dlg.m_nDivisions = c.m_nDivisions;
        dlg.m_bGrid = c.m_bGrid;
        Run(dlg,
            [&](CDialog& d)
            {
                EXPECT_EQ(d.GetControlText(res::IDC_XMIN), c.m_pszXMin) << c.m_pszLocale;
                EXPECT_EQ(d.GetControlText(res::IDC_XMAX), c.m_pszXMax);
                EXPECT_EQ(d.GetControlText(res::IDC_YMIN), QString(c.m_pszXMax).prepend('-'));
                EXPECT_EQ(d.GetControlText(res::IDC_YMAX), c.m_pszXMax);
                EXPECT_EQ(d.GetControlText(res::IDC_DIVISIONS), c.m_pszDivisions);
                EXPECT_EQ(d.IsDlgButtonChecked(res::IDC_GRID), c.m_bGrid);
                EXPECT_EQ(d.focusWidget(), d.GetControl(res::IDC_XMIN));
                d.OnCancel();
            });
    }
}

struct CTypedCase
{
    const char* m_pszLocale;
    const char* m_pszXMin;
    const char* m_pszXMax;
    const char* m_pszYMin;
    const char* m_pszYMax;
    const char* m_pszDivisions;
    double m_dXMin;
    double m_dXMax;
    double m_dYMin;
    double m_dYMax;
    std::int32_t m_nDivisions;
};

TEST_F(EditDialogsTest, TypedParametersComeBackUncorrected)
{
    const CTypedCase kCases[] = {
        // The words in the X boxes only.
        {"en_US.UTF-8", "pi", "-2PI", "pi", "2pi", "12abc", kPi, -2 * kPi, 0, 2, 12},
        {"en_US.UTF-8", "Pi", " pi", "-1.5", "abc", "abc", 0, 0, -1.5, 0, 0},
        // Nothing corrected: max below min, no divisions to speak of.
        {"en_US.UTF-8", "3", "1", "0", "0", "-5", 3, 1, 0, 0, -5},
        {"en_US.UTF-8", "1.5", "1,5", "inf", "nan", "9", 1.5, 1, 0, 0, 9},
        {"it_IT.UTF-8", "1.5", "1,5", "-0,25", "2,5e1", "100000", 1, 1.5, -0.25, 25, 100000},
        {"it_IT.UTF-8", "-pi", "2PI", "-PI", " 7,", "", -kPi, 2 * kPi, 0, 7, 0},
    };
    for (const CTypedCase& c : kCases)
    {
        UseLocale(c.m_pszLocale);
        CParamsDlg dlg;
        dlg.m_window.m_dXMin = -2.0;
        dlg.m_window.m_dXMax = 2.0;
        dlg.m_window.m_dYMin = -2.0;
        dlg.m_window.m_dYMax = 2.0;
        dlg.m_nDivisions = 500;
        dlg.m_bGrid = true;
        const int nResult = Run(dlg,
                                [&](CDialog& d)
                                {
                                    Type(d, res::IDC_XMIN, c.m_pszXMin);
                                    Type(d, res::IDC_XMAX, c.m_pszXMax);
                                    Type(d, res::IDC_YMIN, c.m_pszYMin);
                                    Type(d, res::IDC_YMAX, c.m_pszYMax);
                                    Type(d, res::IDC_DIVISIONS, c.m_pszDivisions);
                                    Click(d, res::IDOK);
                                });
        ASSERT_EQ(nResult, kOK);
        const std::string strCase = std::string(c.m_pszLocale) + " " + c.m_pszXMin;
        EXPECT_EQ(dlg.m_window.m_dXMin, c.m_dXMin) << strCase;
        EXPECT_EQ(dlg.m_window.m_dXMax, c.m_dXMax) << strCase;
        EXPECT_EQ(dlg.m_window.m_dYMin, c.m_dYMin) << strCase;
        EXPECT_EQ(dlg.m_window.m_dYMax, c.m_dYMax) << strCase;
        EXPECT_EQ(dlg.m_nDivisions, c.m_nDivisions) << strCase;
        EXPECT_TRUE(dlg.m_bGrid);
    }
}

TEST_F(EditDialogsTest, GridCheckBoxTogglesOnClickAndHasItsTextOnTheLeft)
{
    CParamsDlg dlg;
    dlg.m_window.m_dXMin = -2.0;
    dlg.m_window.m_dXMax = 2.0;
    dlg.m_window.m_dYMin = -2.0;
    dlg.m_window.m_dYMax = 2.0;
    dlg.m_nDivisions = 500;
    dlg.m_bGrid = true;
    const int nResult =
        Run(dlg,
            [](CDialog& d)
            {
                EXPECT_EQ(d.GetControl(res::IDC_GRID)->layoutDirection(), Qt::RightToLeft);
                Click(d, res::IDC_GRID);
                EXPECT_FALSE(d.IsDlgButtonChecked(res::IDC_GRID));
                // Enter presses the default button, OK.
                QTest::keyClick(d.GetControl(res::IDC_YMAX), Qt::Key_Return);
            });
    EXPECT_EQ(nResult, kOK);
    EXPECT_FALSE(dlg.m_bGrid);
    // The untouched boxes read back as they were shown.
    EXPECT_EQ(dlg.m_window.m_dXMin, -2.0);
    EXPECT_EQ(dlg.m_window.m_dYMax, 2.0);
    EXPECT_EQ(dlg.m_nDivisions, 500);
}

TEST_F(EditDialogsTest, CancelledParametersAreNotRead)
{
    CParamsDlg dlg;
    dlg.m_window.m_dXMin = -1.0;
    dlg.m_window.m_dXMax = 1.0;
    dlg.m_window.m_dYMin = -3.0;
    dlg.m_window.m_dYMax = 3.0;
    dlg.m_nDivisions = 50;
    dlg.m_bGrid = false;
    const int nResult = Run(dlg,
                            [](CDialog& d)
                            {
                                Type(d, res::IDC_XMIN, "7");
                                Type(d, res::IDC_DIVISIONS, "9");
                                Click(d, res::IDC_GRID);
                                Click(d, res::IDCANCEL);
                            });
    EXPECT_EQ(nResult, kCancel);
    EXPECT_EQ(dlg.m_window.m_dXMin, -1.0);
    EXPECT_EQ(dlg.m_nDivisions, 50);
    EXPECT_FALSE(dlg.m_bGrid);
}

// ------------------------------------------------------ selection dialog

TEST_F(EditDialogsTest, SelectionListsTheCallersOrderWithTheFirstSelected)
{
    CSelectFunctionDlg dlg;
    dlg.m_strFunctions = {"Z*X", "A+X", "", "M"};
    const int nResult = Run(dlg,
                            [](CDialog& d)
                            {
                                QListWidget* pList = List(d, res::IDC_FUNCTIONS);
                                ASSERT_NE(pList, nullptr);
                                EXPECT_EQ(Lines(pList), (QStringList{"Z*X", "A+X", "", "M"}));
                                ASSERT_EQ(pList->selectedItems().size(), 1);
                                EXPECT_EQ(pList->row(pList->selectedItems().front()), 0);
                                EXPECT_EQ(d.focusWidget(), pList);
                                Click(d, res::IDOK);
                            });
    EXPECT_EQ(nResult, kOK);
    EXPECT_EQ(dlg.m_nSelected, 0);
    EXPECT_TRUE(dlg.m_strFunctions.isEmpty());
}

struct CSelectCase
{
    QStringList m_lines;
    int m_nClicked; // -1: none
    int m_nSelected;
};

TEST_F(EditDialogsTest, SelectionReturnsThePositionOfTheChosenLine)
{
    const CSelectCase kCases[] = {
        {{"SIN(X)", "SIN(X)"}, 1, 1}, // the same text twice: two lines
        {{"b", "a", "c"}, 2, 2},
        {{"b", "a", "c"}, 1, 1},
        {{"", "X"}, 0, 0}, // an empty expression is an empty line
        {{}, -1, -1},      // nothing to choose
    };
    for (const CSelectCase& c : kCases)
    {
        CSelectFunctionDlg dlg;
        dlg.m_strFunctions = c.m_lines;
        const int nResult =
            Run(dlg,
                [&](CDialog& d)
                {
                    if (c.m_nClicked >= 0)
                    {
                        ClickItem(d, res::IDC_FUNCTIONS, c.m_nClicked);
                    }
                    QTest::keyClick(d.GetControl(res::IDC_FUNCTIONS), Qt::Key_Return);
                });
        EXPECT_EQ(nResult, kOK);
        EXPECT_EQ(dlg.m_nSelected, c.m_nSelected) << c.m_lines.join(',').toStdString();
    }
}

TEST_F(EditDialogsTest, DoubleClickOnlySelectsAndCancelReturnsNothing)
{
    CSelectFunctionDlg dlg;
    dlg.m_strFunctions = {"X", "X^2", "X^3"};
    dlg.m_nSelected = 7;
    const int nResult = Run(dlg,
                            [](CDialog& d)
                            {
                                QListWidget* pList = List(d, res::IDC_FUNCTIONS);
                                const QPoint pt = pList->visualItemRect(pList->item(2)).center();
                                QTest::mouseDClick(pList->viewport(), Qt::LeftButton, {}, pt);
                                EXPECT_TRUE(d.isVisible());
                                EXPECT_EQ(pList->row(pList->selectedItems().front()), 2);
                                EXPECT_EQ(Lines(pList), (QStringList{"X", "X^2", "X^3"}));
                                Click(d, res::IDCANCEL);
                            });
    EXPECT_EQ(nResult, kCancel);
    EXPECT_EQ(dlg.m_nSelected, 7);
}

} // namespace
