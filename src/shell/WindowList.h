// The graph windows as the Window menu lists them and arranges them: the
// list, the "Seleziona finestra" dialog that "Altre finestre..." opens, and
// Sovrapponi, Affianca and Disponi icone carried out on the window area.
#pragma once

#include <QRect>
#include <functional>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QWidget;

// The windows the Window menu lists, in its order: the first nine of
// vWindows, the active one taking the ninth place when it would come later.
std::vector<QMdiSubWindow*> ListedWindows(std::vector<QMdiSubWindow*> vWindows,
                                          const QMdiSubWindow* pActive);

// Puts the list at the end of pMenu in place of the one shown before: a
// separator, one item per listed window by its caption (the active one
// checked), and "Altre finestre..." when there are more than nine. An item
// activates its own window with fnActivate, still there or not; "Altre
// finestre..." calls fnMore.
void FillWindowList(QMenu* pMenu, const std::vector<QMdiSubWindow*>& vWindows,
                    QMdiSubWindow* pActive, const std::function<void(QMdiSubWindow*)>& fnActivate,
                    const std::function<void()>& fnMore);

// Every window by its caption, in the Window menu's order, the active one
// chosen; OK or a double-click returns the chosen one. Null when cancelled,
// or when the windows are no longer those the list showed: fnWindows tells
// them after the dialog.
QMdiSubWindow* SelectWindow(QWidget* pParent, const std::vector<QMdiSubWindow*>& vWindows,
                            const QMdiSubWindow* pActive,
                            const std::function<std::vector<QMdiSubWindow*>()>& fnWindows);

// How far apart cascaded windows stand: a caption's height, as the platform
// places new windows.
int CascadeStep(const QWidget* pWindow);

// The arrangements are in the area's own coordinates, scrolled back to its
// origin first. Minimised windows stay minimised, in a row along the bottom;
// the others are arranged above them, maximised ones restored first.

// Lines the minimised windows up along the bottom; returns the part of the
// area above them.
QRect ArrangeIcons(QMdiArea& area);
// Staggered from the top left: the bottom of the stack first, pActive last
// and on top. Returns the place a new window takes next.
int CascadeWindows(QMdiArea& area, QMdiSubWindow* pActive);
// Side by side from the top of the stack: pActive first, at the top left.
void TileWindows(QMdiArea& area, QMdiSubWindow* pActive);
