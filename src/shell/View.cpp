#include "shell/View.h"

#include "shell/ChildFrame.h"
#include "shell/DocManager.h"

CView::CView(QWidget* pParent) : QWidget(pParent)
{
    // A click with any button gives the view the focus, which activates its
    // graph window before a context-menu request is handled.
    setFocusPolicy(Qt::ClickFocus);
}

CView::~CView()
{
    if (m_pDocManager != nullptr)
    {
        m_pDocManager->RemoveView(this);
    }
}

CChildFrame* CView::GetParentFrame() const
{
    for (QWidget* p = parentWidget(); p != nullptr; p = p->parentWidget())
    {
        if (auto* pFrame = dynamic_cast<CChildFrame*>(p))
        {
            return pFrame;
        }
    }
    return nullptr;
}

void CView::OnInitialUpdate()
{
}
