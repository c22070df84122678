// Resampling from the interface: the one sampling engine, run off the
// interface thread behind a progress dialog when it takes a while.
#pragma once

#include <cstdint>
#include <span>

#include "core/expr/Sampling.h"

class CGraphFunction;
class QWidget;

// How long a sampling may keep the interface waiting before the progress
// dialog appears, in milliseconds.
inline constexpr int kSamplingDialogDelay = 500;

// Set to true on a window kept hidden while the command line opens its graph
// and shown afterwards: a sampling long enough for the dialog shows that
// window first, so that the dialog stands over it rather than alone.
inline constexpr char kShowBeforeProgress[] = "traceloShowBeforeProgress";

// Samples the functions over the window as SampleFunctions does. When the
// work lasts longer than kSamplingDialogDelay, a modal dialog
// "Calcolo delle funzioni in corso..." shows its progress; its Annulla stops
// the work, and the curves not finished are left without points. While the
// dialog is up the curves being computed are empty, so painting never reads
// them half written; the points are handed back through the pointers, so
// the functions' list must not change until it returns. Curves that would
// not fit in memory are reported once with "Memoria insufficiente." over
// pParent.
CSamplingResult SampleWithProgress(QWidget* pParent, std::span<CGraphFunction* const> functions,
                                   const CPlotWindow& window, std::int32_t nDivisions);
