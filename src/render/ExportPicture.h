// The graph as a picture file (PNG, SVG, PDF), drawn exactly as a freshly
// opened view of the given client size shows it. Used by tracelo-export.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/expr/Sampling.h"

class CTraceloDoc;

enum class EPictureFormat
{
    Png, // pixels on the window's white ground
    Svg, // vector
    Pdf, // vector, one page of the picture's size
};

// The size of a freshly opened graph window's client area.
inline constexpr int kDefaultPictureWidth = 800;
inline constexpr int kDefaultPictureHeight = 600;
// Larger sides would make a PNG need more memory than a desktop has to spare.
inline constexpr int kMaxPictureSide = 8192;

// "WxH" (or "WXH") with both sides from 1 to kMaxPictureSide.
bool ParsePictureSize(std::string_view strSize, int& nWidth, int& nHeight);

// Samples every function over the document's window with its divisions, as
// a view opening the graph does, and draws the graph on a surface of nWidth
// by nHeight device units. Returns the file's bytes; empty if the picture
// could not be encoded. Starts an offscreen QGuiApplication when the
// program has none. Throws std::bad_alloc when a curve does not fit in
// memory.
std::string RenderPicture(CTraceloDoc& doc, EPictureFormat eFormat, int nWidth, int nHeight,
                          const CSamplingOptions& sampling = {});
