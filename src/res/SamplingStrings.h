// Texts of the sampling of the curves: its progress and its failure.
#pragma once

namespace res
{

// Some curves would not fit in the memory left to the program: they are
// drawn without points. Shown once per command (tracelo-export: on standard
// error, with status 1).
inline constexpr char kOutOfMemory[] = "Memoria insufficiente.";

// The progress dialog of a long sampling (its button is kButtonCancel).
inline constexpr char kSamplingProgress[] = "Calcolo delle funzioni in corso...";

} // namespace res
