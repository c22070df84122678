// Whether Caps Lock, Num Lock or Scroll Lock is on, where the platform can
// tell (the X Window System, Windows); elsewhere the answer is unknown.
#pragma once

#include <optional>

enum class EKeyLock
{
    Caps,
    Num,
    Scroll,
};

std::optional<bool> QueryKeyLock(EKeyLock eLock);
