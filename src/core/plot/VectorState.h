// Code compiled for AVX that returns without clearing the upper halves of
// the vector registers (some of Qt's raster paths do) leaves the processor
// in a state where plain SSE code, such as the curve's mapping loop, runs
// several times slower until the halves are cleared.
#pragma once

// Clears the upper halves (vzeroupper) where the processor has AVX; does
// nothing on other processors and architectures. To be called after a call
// that may have run such code, before a loop of SSE arithmetic.
void ClearUpperVectorState();
