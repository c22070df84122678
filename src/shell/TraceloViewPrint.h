// One printed page of a view, on any drawing device: the page's printable
// area (pInfo->m_rectDraw) becomes the view's page rectangle, the job is
// fixed at one page, and the graph is drawn there as on screen. Leaves the
// page's layout in the view, as a paint leaves the screen's.
#pragma once

class CDrawDevice;
class CTraceloView;
struct CPrintInfo;

void PrintPage(CTraceloView& view, CDrawDevice* pDC, CPrintInfo* pInfo);
