// The colour icons of the function dialog, drawn here rather than shipped as
// pictures: a disc of the colour with a black outline on a transparent ground.
#pragma once

#include <QIcon>
#include <QImage>
#include <cstdint>

// One disc filling an nSize by nSize square; crColor reads 0xBBGGRR.
QImage DrawColorDisc(int nSize, std::uint32_t crColor);

// The disc at 16 by 16 and at 32 by 32.
QIcon MakeColorIcon(std::uint32_t crColor);
