// The view's commands whose work comes with the editing commands, the
// metafile export and printing. Each of these moves out of this file to the
// code that carries it out; until then the command is offered and does
// nothing.
#include "view/TraceloView.h"

void CTraceloView::OnEditParameters()
{
}

void CTraceloView::OnFunctionNew()
{
}

void CTraceloView::OnFunctionEdit()
{
}

void CTraceloView::OnFunctionDelete()
{
}

void CTraceloView::OnExportMetafile()
{
}

void CTraceloView::OnFilePrint()
{
}

void CTraceloView::OnFilePrintDirect()
{
}

void CTraceloView::OnFilePrintPreview()
{
}
