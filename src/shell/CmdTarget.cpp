#include "shell/CmdTarget.h"

bool CCmdTarget::UpdateCommand(CCmdUI& cmdUI)
{
    const bool bHandled = OnCmdMsg(cmdUI.m_nID, &cmdUI);
    if (!cmdUI.m_obEnabled.has_value())
    {
        cmdUI.m_obEnabled = bHandled;
    }
    return *cmdUI.m_obEnabled;
}

bool CCmdTarget::ExecuteCommand(unsigned nID)
{
    CCmdUI state(nID);
    if (!UpdateCommand(state))
    {
        return false;
    }
    return OnCmdMsg(nID, nullptr);
}
