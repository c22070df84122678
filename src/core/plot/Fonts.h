// The one place that describes the fonts of the drawing, so that the screen,
// the printer, the pictures and the metafile all ask for the same font.
#pragma once

#include <cstdint>

#include "core/plot/DrawDevice.h"

inline constexpr const char* kLabelFaceName = "Tahoma";

// The label font: nHeight is the cell height in device units, nEscapement in
// tenths of a degree (900 writes upwards). Normal weight, ANSI, default
// precisions and quality, default pitch in the Swiss family.
CFontDesc MakeLabelFont(std::int32_t nHeight, std::int32_t nEscapement);
