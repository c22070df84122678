// The editing commands of a graph window: parameters, new, edit and delete
// function. Each runs its dialogs, changes the document, has what changed
// resampled and repaints this view only; other windows on the same graph
// show the change when they next paint (the graph's count of resamplings
// tells them that their kept pictures are out of date).
#include <span>
#include <string>
#include <utility>

#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/FunctionDlg.h"
#include "shell/ParamsDlg.h"
#include "shell/SamplingProgress.h"
#include "shell/SelectFunctionDlg.h"
#include "shell/TraceloView.h"

namespace
{

// Runs the selection dialog over the graph's functions; the chosen position,
// or -1 when the user chose none.
int SelectFunction(QWidget* pParent, const CFunctionList& functions)
{
    CSelectFunctionDlg dlg(pParent);
    for (const CGraphFunction& function : functions)
    {
        dlg.m_strFunctions.append(QString::fromStdString(function.m_strExpression));
    }
    if (dlg.DoModal() != static_cast<int>(res::IDOK))
    {
        return -1;
    }
    // The dialog shows each function once, so the position is in the list;
    // checked anyway, as the list is the document's.
    if (dlg.m_nSelected < 0 || static_cast<std::size_t>(dlg.m_nSelected) >= functions.size())
    {
        return -1;
    }
    return dlg.m_nSelected;
}

// A function just added or changed: sampled over the view's window, zoomed
// or not, and shown.
void SampleAndShow(CTraceloView& view, CGraphFunction& function)
{
    CGraphFunction* pFunction = &function;
    CTraceloDoc& doc = *view.GetDocument();
    SampleWithProgress(&view, std::span<CGraphFunction* const>(&pFunction, 1), view.GetWindow(),
                       doc.m_nDivisions);
    ++doc.m_nSamplings;
    view.update();
}

} // namespace

void CTraceloView::OnEditParameters()
{
    if (m_pDoc == nullptr)
    {
        return;
    }
    // The document's window, not this view's zoomed one.
    CParamsDlg dlg(window());
    dlg.m_window = m_pDoc->m_window;
    dlg.m_nDivisions = m_pDoc->m_nDivisions;
    dlg.m_bGrid = m_pDoc->m_bGrid;
    if (dlg.DoModal() != static_cast<int>(res::IDOK))
    {
        return;
    }

    m_pDoc->m_window = dlg.m_window;
    m_pDoc->m_nDivisions = dlg.m_nDivisions;
    m_pDoc->m_bGrid = dlg.m_bGrid;
    // Each max above its min (else min + 0.1), divisions within their range.
    m_pDoc->CorrectParameters();

    // The view returns to the graph's window: any zoom of it ends.
    m_window = m_pDoc->m_window;
    ResampleAndRedraw();
    m_pDoc->SetModifiedFlag(true);
}

void CTraceloView::OnFunctionNew()
{
    if (m_pDoc == nullptr || m_pFunctions == nullptr)
    {
        return;
    }
    CFunctionDlg dlg(window());
    if (dlg.DoModal() != static_cast<int>(res::IDOK))
    {
        return;
    }

    // Not checked: a malformed text is a function like any other, with no
    // points where the engine cannot evaluate it.
    std::string strExpression = dlg.m_strExpression.toStdString();
    CGraphFunction& added = m_pFunctions->emplace_back(m_pEvaluator);
    added.m_strExpression = std::move(strExpression);
    added.m_crColor = dlg.m_crColor;
    SampleAndShow(*this, added);
    m_pDoc->SetModifiedFlag(true);
}

void CTraceloView::OnFunctionEdit()
{
    if (m_pDoc == nullptr || m_pFunctions == nullptr || m_pFunctions->empty())
    {
        return;
    }
    const int nIndex = SelectFunction(window(), *m_pFunctions);
    if (nIndex < 0)
    {
        return;
    }
    const auto nPos = static_cast<std::size_t>(nIndex);

    CFunctionDlg dlg(window());
    dlg.m_strExpression = QString::fromStdString((*m_pFunctions)[nPos].m_strExpression);
    // The function keeps its colour unless the user picks another.
    dlg.SetCurrentColor((*m_pFunctions)[nPos].m_crColor);
    // The function is looked up again once the dialog is closed: the list
    // holds the functions themselves, and a pointer to one would not survive
    // a change of the list.
    if (dlg.DoModal() == static_cast<int>(res::IDOK) && nPos < m_pFunctions->size())
    {
        CGraphFunction& function = (*m_pFunctions)[nPos];
        function.m_strExpression = dlg.m_strExpression.toStdString();
        function.m_crColor = dlg.m_crColor;
        SampleAndShow(*this, function);
    }
    // Choosing a function counts as a change, whether or not the properties
    // were confirmed.
    m_pDoc->SetModifiedFlag(true);
}

void CTraceloView::OnFunctionDelete()
{
    if (m_pDoc == nullptr || m_pFunctions == nullptr || m_pFunctions->empty())
    {
        return;
    }
    const int nIndex = SelectFunction(window(), *m_pFunctions);
    if (nIndex < 0)
    {
        return;
    }
    // Removed from the list and destroyed together; no confirmation.
    m_pFunctions->erase(m_pFunctions->begin() + nIndex);
    update();
    m_pDoc->SetModifiedFlag(true);
}
