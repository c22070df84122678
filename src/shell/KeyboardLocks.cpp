#include "shell/KeyboardLocks.h"

#include <QGuiApplication>

#if defined(_WIN32)
#include <windows.h>
#elif defined(TRACELO_HAVE_X11)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

std::optional<bool> QueryKeyLock(EKeyLock eLock)
{
#if defined(_WIN32)
    const int nVirtKey = eLock == EKeyLock::Caps  ? VK_CAPITAL
                         : eLock == EKeyLock::Num ? VK_NUMLOCK
                                                  : VK_SCROLL;
    return (::GetKeyState(nVirtKey) & 1) != 0;
#elif defined(TRACELO_HAVE_X11)
    auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                    : nullptr;
    Display* pDisplay = pX11 != nullptr ? pX11->display() : nullptr;
    if (pDisplay == nullptr)
    {
        return std::nullopt;
    }
    const char* pszName = eLock == EKeyLock::Caps  ? "Caps Lock"
                          : eLock == EKeyLock::Num ? "Num Lock"
                                                   : "Scroll Lock";
    const Atom atom = XInternAtom(pDisplay, pszName, True);
    if (atom == None)
    {
        return std::nullopt;
    }
    Bool bOn = False;
    if (!XkbGetNamedIndicator(pDisplay, atom, nullptr, &bOn, nullptr, nullptr))
    {
        return std::nullopt;
    }
    return bOn != False;
#else
    (void)eLock;
    return std::nullopt;
#endif
}
