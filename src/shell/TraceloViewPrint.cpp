// The view's printing, print preview and metafile export: the graph drawn by
// the same DrawPlot as on screen, on a printer page or a metafile square.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <new>

#include "core/doc/TraceloDoc.h"
#include "core/plot/PlotArea.h"
#include "render/EmfDevice.h"
#include "render/MetafileExport.h"
#include "render/QtDrawDevice.h"
#include "res/FileStrings.h"
#include "res/PrintStrings.h"
#include "res/ShellResources.h"
#include "shell/MessageBox.h"
#include "shell/Printing.h"
#include "shell/TraceloView.h"
#include "shell/TraceloViewPrint.h"

// Drawing on a page or a metafile lays the plot out anew; the mouse reads the
// plot values of the screen, so they come back when the drawing is done and
// the view shows what it showed before.
class CTraceloView::CKeepScreenLayout
{
public:
    explicit CKeepScreenLayout(CTraceloView& view)
        : m_view(view), m_layout(view.m_layout), m_plotArea(*view.m_pPlotArea)
    {
    }
    ~CKeepScreenLayout()
    {
        m_view.m_layout = m_layout;
        *m_view.m_pPlotArea = m_plotArea;
        m_view.update();
    }
    CKeepScreenLayout(const CKeepScreenLayout&) = delete;
    CKeepScreenLayout& operator=(const CKeepScreenLayout&) = delete;

private:
    CTraceloView& m_view;
    CPlotLayout m_layout;
    CPlotArea m_plotArea;
};

namespace
{

// The view's printing hooks.

// A graph is one page long.
bool OnPreparePrinting(CTraceloView& view, CPrintInfo* pInfo)
{
    pInfo->m_nMinPage = 1;
    pInfo->m_nMaxPage = 1;
    return DoPreparePrinting(&view, pInfo);
}

void OnPrint(CTraceloView& view, CDrawDevice* pDC)
{
    view.DrawPlot(pDC);
}

// The printing loop: every page of the job on its printer, in the printer's
// device units. False when the printer would not start.
bool PrintJob(CTraceloView& view, CPrintInfo& info)
{
    QPrinter& printer = *info.m_pPrinter;
    // The spooler and a PDF printed to a file name the job by the graph.
    if (view.GetDocument() != nullptr)
    {
        printer.setDocName(QString::fromStdString(view.GetDocument()->GetTitle()));
    }
    QPainter painter;
    if (!painter.begin(&printer))
    {
        ShowPrintError(&view);
        return false;
    }
    const CTraceloView::CKeepScreenLayout keep(view);
    {
        CQtDrawDevice dc(&painter);
        for (info.m_nCurPage = info.m_nMinPage; info.m_nCurPage <= info.m_nMaxPage;
             ++info.m_nCurPage)
        {
            if (info.m_nCurPage > info.m_nMinPage)
            {
                dc.Flush();
                printer.newPage();
            }
            info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());
            PrintPage(view, &dc, &info);
        }
    }
    return painter.end();
}

} // namespace

void PrintPage(CTraceloView& view, CDrawDevice* pDC, CPrintInfo* pInfo)
{
    view.OnPrepareDC(pInfo);
    OnPrint(view, pDC);
}

bool CTraceloView::StartJob(CPrintInfo& info) const
{
    if (m_pDoc == nullptr || m_pPrint == nullptr)
    {
        return false;
    }
    info.m_pPrinter = &m_pPrint->GetPrinter();
    info.m_pstrPrintTo = m_pPrint->m_pstrPrintTo;
    return true;
}

bool CTraceloView::Print(bool bDirect)
{
    CPrintInfo info;
    info.m_bDirect = bDirect;
    if (!StartJob(info) || !OnPreparePrinting(*this, &info))
    {
        return false;
    }
    return PrintJob(*this, info);
}

void CTraceloView::OnFilePrint()
{
    Print(false);
}

void CTraceloView::OnFilePrintDirect()
{
    PrintDirect();
}

bool CTraceloView::PrintDirect()
{
    return Print(true);
}

void CTraceloView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = true;
    if (!StartJob(info) || !OnPreparePrinting(*this, &info))
    {
        return;
    }
    QPrintPreviewDialog dlg(info.m_pPrinter, this);
    dlg.setObjectName(QStringLiteral("TraceloPrintPreview"));
    // The preview's own printer when it draws, the chosen one when its print
    // button is used: the same page either way.
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [this, &info](QPrinter* pPrinter)
                     {
                         CPrintInfo job = info;
                         job.m_pPrinter = pPrinter;
                         PrintJob(*this, job);
                     });
    // The pages shown side by side are remembered between previews.
    auto* pPreview = dlg.findChild<QPrintPreviewWidget*>();
    if (pPreview != nullptr)
    {
        // Through the toolbar's own button, so that it shows the mode pressed.
        const bool bFacing = m_pPrint->m_nNumPreviewPages >= 2;
        auto* pMode = dlg.findChild<QAction*>(bFacing ? QStringLiteral("facingModeAction")
                                                      : QStringLiteral("singleModeAction"));
        if (pMode != nullptr)
        {
            pMode->trigger();
        }
        else
        {
            pPreview->setViewMode(bFacing ? QPrintPreviewWidget::FacingPagesView
                                          : QPrintPreviewWidget::SinglePageView);
        }
    }
    dlg.exec();
    // The view's window may have closed meanwhile.
    if (pPreview != nullptr && m_pPrint != nullptr)
    {
        m_pPrint->m_nNumPreviewPages =
            pPreview->viewMode() == QPrintPreviewWidget::SinglePageView ? 1 : 2;
    }
}

void CTraceloView::OnExportMetafile()
{
    if (m_pDoc == nullptr)
    {
        return;
    }
    // The picture is recorded first, measured against this view's screen;
    // only then is the file chosen.
    CMetafile metafile;
    {
        const CKeepScreenLayout keep(*this);
        try
        {
            metafile = RecordMetafile(*m_pDoc, m_window, m_layout.m_rectPage,
                                      CDevRect{0, 0, width(), height()}, *m_pPlotArea,
                                      GetScreenReference(screen(), this));
        }
        catch (const std::bad_alloc&)
        {
            ShowMessageBox(this, QString::fromUtf8(res::kFailedToSaveDoc), EMsgBoxButtons::Ok,
                           EMsgBoxIcon::Exclamation);
            return;
        }
    }

    QFileDialog dlg(this, QString::fromUtf8(res::kSaveAsTitle));
#ifndef _WIN32
    dlg.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dlg.setObjectName(QStringLiteral("TraceloMetafileDialog"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension gets ".emf"; an existing file is
    // replaced only after the user agrees.
    dlg.setDefaultSuffix(QString::fromUtf8(res::kMetafileExtension));
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    dlg.selectFile(QString::fromUtf8(res::kMetafileInitialName));
    if (dlg.exec() != QDialog::Accepted)
    {
        return; // nothing written; the recording goes
    }
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
    {
        return;
    }
    const std::string strError =
        SaveMetafile(metafile, QFile::encodeName(files.front()).toStdString());
    if (!strError.empty())
    {
        ShowMessageBox(this, QString::fromStdString(strError), EMsgBoxButtons::Ok,
                       EMsgBoxIcon::Exclamation);
    }
}
