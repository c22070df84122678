// The view's commands whose work comes with the editing commands. Each of
// these moves out of this file to the code that carries it out; until then
// the command is offered and does nothing.
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
