// Command routing. Every window, view and the application is a command
// target with a static table that maps command ids to member functions. A
// command travels a route (active view, its document, the child frame, the
// main frame, the application); the first target whose table holds the id
// handles it, and an id that nothing on the route handles is disabled.
#pragma once

#include <optional>
#include <span>
#include <string>

// The state a command's menu item, button or status-bar pane should take,
// as the update pass along the route decides it.
class CCmdUI
{
public:
    explicit CCmdUI(unsigned nID) : m_nID(nID) {}

    void Enable(bool bOn = true) { m_obEnabled = bOn; }
    void SetCheck(bool bCheck = true) { m_obChecked = bCheck; }
    void SetText(const std::string& strText) { m_ostrText = strText; }

    unsigned m_nID;
    std::optional<bool> m_obEnabled;
    std::optional<bool> m_obChecked;
    std::optional<std::string> m_ostrText;
};

class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;

    // Runs the command (pCmdUI null) or its update (pCmdUI set) on the first
    // target of this object's route that handles nID; false when none does.
    virtual bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) { return DispatchOwn(nID, pCmdUI); }

    // This object's own tables only, most derived class first.
    virtual bool DispatchOwn(unsigned nID, CCmdUI* pCmdUI)
    {
        (void)nID;
        (void)pCmdUI;
        return false;
    }

    // The update pass for nID followed by its result: whether the command is
    // enabled. A command that a target handles without an update handler is
    // enabled; one that nothing handles is disabled.
    bool UpdateCommand(CCmdUI& cmdUI);

    // Runs nID when the update pass leaves it enabled, as a key or menu
    // choice would; returns whether it ran.
    bool ExecuteCommand(unsigned nID);
};

// One line of a command table: ids nFirst to nLast, the command handler
// (with or without the id) and the update handler; any may be absent.
template <class T> struct CCmdEntry
{
    unsigned m_nFirst;
    unsigned m_nLast;
    void (T::*m_pfnCommand)() = nullptr;
    void (T::*m_pfnUpdate)(CCmdUI*) = nullptr;
    void (T::*m_pfnCommandRange)(unsigned) = nullptr;
};

template <class T> CCmdEntry<T> MapCommand(unsigned nID, void (T::*pfn)())
{
    return CCmdEntry<T>{nID, nID, pfn, nullptr, nullptr};
}

template <class T> CCmdEntry<T> MapUpdate(unsigned nID, void (T::*pfn)(CCmdUI*))
{
    return CCmdEntry<T>{nID, nID, nullptr, pfn, nullptr};
}

template <class T>
CCmdEntry<T> MapCommandRange(unsigned nFirst, unsigned nLast, void (T::*pfn)(unsigned))
{
    return CCmdEntry<T>{nFirst, nLast, nullptr, nullptr, pfn};
}

template <class T>
CCmdEntry<T> MapUpdateRange(unsigned nFirst, unsigned nLast, void (T::*pfn)(CCmdUI*))
{
    return CCmdEntry<T>{nFirst, nLast, nullptr, pfn, nullptr};
}

// Looks nID up in one table. For an update, the line's update handler runs
// if the table has one for nID; otherwise a command handler for nID enables
// the command. For a command, the first command handler for nID runs.
template <class T>
bool DispatchTable(T* pTarget, std::span<const CCmdEntry<T>> table, unsigned nID, CCmdUI* pCmdUI)
{
    bool bHasCommand = false;
    for (const CCmdEntry<T>& entry : table)
    {
        if (nID < entry.m_nFirst || nID > entry.m_nLast)
        {
            continue;
        }
        if (pCmdUI != nullptr)
        {
            if (entry.m_pfnUpdate != nullptr)
            {
                (pTarget->*entry.m_pfnUpdate)(pCmdUI);
                return true;
            }
            bHasCommand =
                bHasCommand || entry.m_pfnCommand != nullptr || entry.m_pfnCommandRange != nullptr;
        }
        else if (entry.m_pfnCommand != nullptr)
        {
            (pTarget->*entry.m_pfnCommand)();
            return true;
        }
        else if (entry.m_pfnCommandRange != nullptr)
        {
            (pTarget->*entry.m_pfnCommandRange)(nID);
            return true;
        }
    }
    if (bHasCommand)
    {
        pCmdUI->Enable(true);
    }
    return bHasCommand;
}
