#include "shell/SelectFunctionDlg.h"

#include <QListWidget>

#include "res/EditDialogs.h"

CSelectFunctionDlg::CSelectFunctionDlg(QWidget* pParent)
    : CDialog(res::kSelectFunctionDialog, pParent)
{
}

CSelectFunctionDlg::~CSelectFunctionDlg() = default;

bool CSelectFunctionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* pList = qobject_cast<QListWidget*>(GetControl(res::IDC_FUNCTIONS));
    if (pList != nullptr)
    {
        // Each line at the end, in the caller's order: line i is the i-th
        // function whatever the texts.
        while (!m_strFunctions.isEmpty())
        {
            pList->insertItem(pList->count(), m_strFunctions.takeFirst());
        }
        if (pList->count() > 0)
        {
            pList->setCurrentRow(0);
        }
    }
    m_strFunctions.clear();
    GotoDlgCtrl(res::IDC_FUNCTIONS);
    return false;
}

void CSelectFunctionDlg::OnOK()
{
    m_nSelected = -1;
    auto* pList = qobject_cast<QListWidget*>(GetControl(res::IDC_FUNCTIONS));
    if (pList != nullptr)
    {
        const QList<QListWidgetItem*> selected = pList->selectedItems();
        if (!selected.isEmpty())
        {
            m_nSelected = pList->row(selected.front());
        }
    }
    CDialog::OnOK();
}
