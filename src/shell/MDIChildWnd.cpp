#include "shell/MDIChildWnd.h"

#include <QCloseEvent>
#include <QString>

#include "core/doc/Document.h"
#include "shell/DocManager.h"
#include "shell/View.h"

CMDIChildWnd::CMDIChildWnd()
{
    setAttribute(Qt::WA_DeleteOnClose);
}

CMDIChildWnd::~CMDIChildWnd() = default;

CView* CMDIChildWnd::GetActiveView() const
{
    return dynamic_cast<CView*>(widget());
}

CDocument* CMDIChildWnd::GetActiveDocument() const
{
    CView* pView = GetActiveView();
    return pView != nullptr ? pView->GetDocument() : nullptr;
}

void CMDIChildWnd::OnUpdateFrameTitle()
{
    CDocument* pDoc = GetActiveDocument();
    if (pDoc == nullptr)
    {
        return;
    }
    QString strTitle = QString::fromStdString(pDoc->GetTitle());
    // "[*]" would be taken as the modified marker; doubled it shows as itself.
    strTitle.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (m_nWindow > 0)
    {
        strTitle += QStringLiteral(":%1").arg(m_nWindow);
    }
    setWindowTitle(strTitle);
}

void CMDIChildWnd::closeEvent(QCloseEvent* pEvent)
{
    if (!m_bCloseWithoutPrompt && m_pDocManager != nullptr && !m_pDocManager->CanCloseFrame(this))
    {
        pEvent->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(pEvent);
    if (pEvent->isAccepted() && m_pDocManager != nullptr)
    {
        m_pDocManager->OnFrameClosed(this);
    }
}
