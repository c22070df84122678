// The menus, the keys and the toolbar, built from the resource tables: one
// action per command, named by the first menu item that carries it and
// shared by both menu bars, the context menu, the toolbar and the keys.
#pragma once

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

namespace res
{
struct CPopupDef;
}

class CCommandBuilder
{
public:
    // The actions belong to pOwner, which takes their keys whichever menu
    // bar shows.
    explicit CCommandBuilder(QWidget* pOwner);

    CCommandBuilder(const CCommandBuilder&) = delete;
    CCommandBuilder& operator=(const CCommandBuilder&) = delete;

    // pAction, made by its own part (a bar's), stands for command nID.
    void Adopt(unsigned nID, QAction* pAction);
    // An action, disabled until something runs it, for every item of the
    // menus vMenuIDs and every key of accelerator table nIDAccel.
    void CreateActions(const std::vector<unsigned>& vMenuIDs, unsigned nIDAccel);
    // The action of command nID; null for an id no table names.
    QAction* Action(unsigned nID) const;
    // A new action for a command no table names.
    QAction* AddAction(unsigned nID);
    // Stands, greyed, where the recent files go while there are none.
    QAction* RecentPlaceholder() const { return m_pRecentPlaceholder; }

    // Menus call fnAboutToShow just before they open.
    void SetAboutToShow(std::function<void(QMenu*)> fnAboutToShow);
    // The pop-ups of menu nIDMenu; empty for an id with no menu.
    std::vector<QMenu*> BuildMenu(unsigned nIDMenu, QWidget* pParent) const;
    // Whether popup is where the graph windows are listed.
    static bool IsWindowList(const QMenu* pMenu);
    QMenu* BuildPopup(const res::CPopupDef& popup, QWidget* pParent) const;
    // Buttons and images of toolbar nIDResource; false when one is missing.
    bool BuildToolBar(QToolBar* pToolBar, unsigned nIDResource) const;

private:
    QAction* MakeAction(unsigned nID, const char* pszText) const;

    QWidget* m_pOwner;
    std::map<unsigned, QAction*> m_actions;
    QAction* m_pRecentPlaceholder = nullptr;
    std::function<void(QMenu*)> m_fnAboutToShow;
};
