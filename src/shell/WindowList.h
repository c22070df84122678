// The graph windows as the Window menu lists them, and the "Seleziona
// finestra" dialog that "Altre finestre..." opens.
#pragma once

#include <functional>
#include <vector>

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
