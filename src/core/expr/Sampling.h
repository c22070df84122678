// The one sampling engine: every caller that resamples functions (the view,
// the exports, CGraphFunction::Sample itself) goes through SampleFunctions.
//
// The X values are the one accumulated walk of CGraphFunction::Sample,
// computed first and in order; only the evaluations are shared out. A text
// that draws RAND numbers runs on one thread, in list order, so the program's
// one generator gives the same sequence as a serial run; texts that do not
// draw run beside it, on every core, in blocks of X values. The points are
// the same bits whatever the number of threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/expr/GraphFunction.h"

struct CSamplingOptions
{
    // Threads to use; 0 means SamplingThreadLimit(). Small samplings run on
    // the calling thread whatever is asked.
    int m_nThreads = 0;
    // Bytes the new points may take; 0 means what AvailableMemory() says,
    // less a margin (and no more than TRACELO_MEMORY_LIMIT bytes when that
    // is set).
    std::uint64_t m_nMemoryLimit = 0;
    // When not every curve fits, sample none (for a caller that fails then
    // anyway).
    bool m_bAllOrNothing = false;
    // Set by another thread to stop: the functions not finished then have
    // no points. Checked at least every few milliseconds of work.
    const std::atomic<bool>* m_pCancel = nullptr;
    // Samples computed so far, out of the total stored in *m_pTotal before
    // any work starts. Both written by the sampling, read by anyone.
    std::atomic<std::uint64_t>* m_pDone = nullptr;
    std::atomic<std::uint64_t>* m_pTotal = nullptr;
};

struct CSamplingResult
{
    // Some functions were left without points because their samples would
    // not fit in memory (or an allocation failed).
    bool m_bOutOfMemory = false;
    // The cancel flag stopped the work before every function was done.
    bool m_bCancelled = false;
};

// Samples every function of pFunctions (null entries are skipped) over the
// window with nDivisions, as CGraphFunction::Sample does one by one in list
// order. Never throws for lack of memory.
CSamplingResult SampleFunctions(std::span<CGraphFunction* const> functions,
                                const CPlotWindow& window, std::int32_t nDivisions,
                                const CSamplingOptions& options = {});

// The same over a document's list; for the exports, where a picture with
// curves missing is no result, a function that did not fit is reported by
// throwing std::bad_alloc.
void SampleAllOrThrow(CFunctionList& functions, const CPlotWindow& window, std::int32_t nDivisions,
                      const CSamplingOptions& options = {});

// The threads sampling may use: TRACELO_THREADS when it is a positive number
// (at most the number of processors), else every processor.
int SamplingThreadLimit();

// Bytes new data may take: AvailableMemory() less a margin for everything
// else, and no more than TRACELO_MEMORY_LIMIT bytes when that is set. The
// bound of both the sampling and the loading of a graph.
std::uint64_t MemoryBudget();

// Bytes the program may still allocate: the smallest of the machine's
// available memory, the room left under the process's address-space and
// data limits (RLIMIT_AS, RLIMIT_DATA) and under its control group's limit.
std::uint64_t AvailableMemory();
