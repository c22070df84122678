#include "shell/FunctionDlg.h"

#include <QLineEdit>
#include <QListWidget>
#include <limits>

#include "core/doc/DialogValues.h"
#include "res/EditDialogs.h"
#include "shell/ColorIcons.h"

CFunctionDlg::CFunctionDlg(QWidget* pParent) : CDialog(res::kFunctionDialog, pParent)
{
}

CFunctionDlg::~CFunctionDlg() = default;

void CFunctionDlg::SetCurrentColor(COLORREF crColor)
{
    m_crColor = crColor;
    m_bHasCurrentColor = true;
}

bool CFunctionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    m_imageList.clear();
    m_imageList.reserve(std::size(res::kPalette));
    for (const res::CPaletteEntry& entry : res::kPalette)
    {
        m_imageList.push_back(MakeColorIcon(entry.m_crIcon));
    }

    auto* pColors = qobject_cast<QListWidget*>(GetControl(res::IDC_COLORS));
    if (pColors != nullptr)
    {
        pColors->clear();
        for (std::size_t i = 0; i < std::size(res::kPalette); ++i)
        {
            pColors->addItem(
                new QListWidgetItem(m_imageList[i], QString::fromUtf8(res::kPalette[i].m_pszName)));
        }
        // Every column as wide as the widest name, so the items line up.
        int nWidest = 0;
        for (int i = 0; i < pColors->count(); ++i)
        {
            nWidest =
                std::max(nWidest, pColors->sizeHintForIndex(pColors->model()->index(i, 0)).width());
        }
        pColors->setGridSize(QSize(nWidest + 4, pColors->sizeHintForRow(0)));
        // Laid out first without a scroll bar, which would steal the height of
        // a row and push the items into more columns than the list needs.
        pColors->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pColors->doItemsLayout();
        for (int i = 0; i < pColors->count(); ++i)
        {
            if (!pColors->viewport()->rect().contains(pColors->visualItemRect(pColors->item(i))))
            {
                pColors->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
                break;
            }
        }

        pColors->setCurrentItem(nullptr);
        pColors->clearSelection();
        const int nItem = m_bHasCurrentColor ? FindPaletteItem(m_crColor) : -1;
        if (nItem >= 0)
        {
            pColors->setCurrentRow(nItem);
        }
    }

    // An expression has no length limit: the box's default maximum would cut
    // a longer one silently on OK.
    if (auto* pEdit = qobject_cast<QLineEdit*>(GetControl(res::IDC_EXPRESSION)))
    {
        pEdit->setMaxLength(std::numeric_limits<int>::max());
    }
    SetControlText(res::IDC_EXPRESSION, m_strExpression);
    GotoDlgCtrl(res::IDC_EXPRESSION);
    return false;
}

void CFunctionDlg::OnOK()
{
    m_strExpression = GetControlText(res::IDC_EXPRESSION);

    const COLORREF crUnchosen = m_bHasCurrentColor ? m_crColor : 0;
    m_crColor = crUnchosen;
    auto* pColors = qobject_cast<QListWidget*>(GetControl(res::IDC_COLORS));
    if (pColors != nullptr)
    {
        const QList<QListWidgetItem*> selected = pColors->selectedItems();
        if (!selected.isEmpty())
        {
            m_crColor = PaletteColorFromName(selected.front()->text().toStdString());
        }
    }
    CDialog::OnOK();
}
