#include "core/expr/Sampling.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <omp.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"

namespace
{

// Below this many samples in all, sharing the work out costs more than it
// saves: the typical graph (4 x 500) stays on the calling thread.
constexpr std::uint64_t kSmallWork = 1u << 16;
// Operations run between two looks at the cancel flag (a few milliseconds).
constexpr std::uint64_t kWorkPerCheck = 1u << 17;
// The X values one task of the shared-out work evaluates, at most.
constexpr std::size_t kMaxTaskBlock = 16384;
// The X values of one call of the serial evaluation, at most.
constexpr std::size_t kSerialBlock = 256;
// Samplings whose points take less than this skip asking the system how
// much memory is left.
constexpr std::uint64_t kSmallMemory = 16u << 20;
// What is kept back from the available memory for everything else.
constexpr std::uint64_t kMemoryReserve = 64u << 20;

constexpr std::uint64_t kBytesPerPoint = sizeof(CCurvePoint);
constexpr std::uint64_t kBytesPerX = sizeof(double);

// One NaN for every NaN: which NaN (sign and payload) an operation on NaN
// gives depends on how the compiler laid out the evaluation of a block of X
// values (vector or scalar, operands swapped), and so on where an X falls in
// its block. Stored points must not depend on how the work was cut; no
// reader of the points tells one NaN from another.
inline double OneNaN(double y)
{
    return y == y ? y : std::numeric_limits<double>::quiet_NaN();
}

bool IsCancelled(const CSamplingOptions& options)
{
    return options.m_pCancel != nullptr && options.m_pCancel->load(std::memory_order_relaxed);
}

void AddDone(const CSamplingOptions& options, std::uint64_t n)
{
    if (options.m_pDone != nullptr)
        options.m_pDone->fetch_add(n, std::memory_order_relaxed);
}

// X values one evaluation call may take so that the cancel flag is seen in
// time, for a text of nOps operations.
std::size_t BlockFor(std::size_t nOps, std::size_t nMax)
{
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(kWorkPerCheck / (nOps + 1), 1, nMax));
}

// Whether the text, once blanks are removed and letters upper-cased, holds
// RAND: only such a text can draw random numbers.
bool MaySpellRand(const std::string& strText)
{
    static constexpr char kRand[] = "RAND";
    std::size_t nMatched = 0;
    for (const char c : strText)
    {
        if (c == ' ')
            continue;
        const char u = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        nMatched = u == kRand[nMatched] ? nMatched + 1 : (u == 'R' ? 1 : 0);
        if (nMatched == 4)
            return true;
    }
    return false;
}

std::size_t OperationCount(CExprEvaluator& evaluator, const std::string& strText)
{
    try
    {
        return evaluator.Compile(strText).GetOperationCount();
    }
    catch (const std::exception&)
    {
        return 0; // the evaluation itself deals with it
    }
}

// One function on this thread with its own evaluator, exactly as
// CGraphFunction::Sample has always done it: blocks of X in order, a point
// for each X unless the text is malformed. The curve is sized once for every
// X and written in place. False when cancelled (the curve is then empty).
bool SampleInOrder(CGraphFunction& function, std::span<const double> xs,
                   const CSamplingOptions& options)
{
    CExprEvaluator& evaluator = *function.m_pEvaluator;
    CPointList& points = *function.m_pPoints;
    points.Resize(xs.size());
    CCurvePoint* pOut = points.GetWritableData();
    std::size_t nOut = 0;
    const std::size_t nBlock =
        BlockFor(OperationCount(evaluator, function.m_strExpression), kSerialBlock);
    double aY[kSerialBlock];
    for (std::size_t i = 0; i < xs.size(); i += nBlock)
    {
        if (IsCancelled(options))
        {
            points.Release();
            return false;
        }
        const std::size_t n = std::min(nBlock, xs.size() - i);
        const double* pX = xs.data() + i;
        if (!evaluator.EvaluateMany(function.m_strExpression, pX, aY, n))
        {
            for (std::size_t j = 0; j < n; ++j)
                pOut[nOut + j] = CCurvePoint{pX[j], OneNaN(aY[j])};
            nOut += n;
        }
        AddDone(options, n);
    }
    points.Resize(nOut);
    return true;
}

// The X values of a window: x accumulated from X min, not computed as
// X min + i * step, so the samples fall where repeated addition puts them; a
// step too small to move x ends the walk. Run goes on from where the last
// call stopped.
//
// One addition after the other would make the walk as slow as the latency
// of an addition, whatever else the processor could do meanwhile. But where
// x and the sums stay among doubles spaced u apart (within one binade), and
// the step is not halfway between two multiples of u, every addition rounds
// the step to the same multiple d of u: there the walk is x, x + d, x + 2d,
// ..., each exact, and independent of the one before. Such stretches are
// written at once; everywhere else (near 0, across a power of two, steps
// that round half to even) the additions are made one by one.
class CXWalk
{
public:
    CXWalk(double dXMin, double dXMax, double dStep)
        : m_dX(dXMin), m_dXMax(dXMax), m_dStep(dStep), m_bMore(dXMin < dXMax)
    {
    }

    // Walks on until nEnd values in all or the end of the window, storing
    // value k at pOut[k] unless pOut is null (then it only counts).
    void Run(double* pOut, std::uint64_t nEnd)
    {
        while (m_bMore && m_nCount < nEnd)
        {
            double d = 0.0;
            const std::uint64_t nRun = Stretch(nEnd - m_nCount, d);
            if (nRun != 0)
            {
                const double x = m_dX;
                if (pOut != nullptr)
                {
                    double* p = pOut + m_nCount;
                    const auto n = static_cast<std::int32_t>(nRun);
                    for (std::int32_t j = 0; j < n; ++j)
                        p[j] = x + static_cast<double>(j) * d;
                }
                m_dX = x + static_cast<double>(nRun) * d;
                m_nCount += nRun;
            }
            else
            {
                Step(pOut, std::min(nEnd, m_nCount + kSteps));
            }
        }
    }

    bool HasMore() const { return m_bMore; }
    std::uint64_t GetCount() const { return m_nCount; }

private:
    // Additions one by one between two looks for a stretch.
    static constexpr std::uint64_t kSteps = 256;
    // Stretches shorter than this are walked one by one.
    static constexpr std::uint64_t kMinStretch = 16;
    static constexpr std::uint64_t kMaxStretch = std::uint64_t{1} << 30;

    // The additions themselves, with x in a register.
    void Step(double* pOut, std::uint64_t nEnd)
    {
        double x = m_dX;
        const double dXMax = m_dXMax;
        const double dStep = m_dStep;
        std::uint64_t k = m_nCount;
        bool bMore = m_bMore;
        for (; bMore && k < nEnd; ++k)
        {
            if (pOut != nullptr)
                pOut[k] = x;
            const double dNext = x + dStep;
            bMore = dNext > x && dNext < dXMax;
            x = dNext;
        }
        m_dX = x;
        m_nCount = k;
        m_bMore = bMore;
    }

    // How many values from x on (at most nMax) are x + j * d, j = 0, 1, ...,
    // with x + n * d, the value after them, still one of the walk below X
    // max; 0 when there is no stretch here worth taking.
    std::uint64_t Stretch(std::uint64_t nMax, double& d) const
    {
        const double x = m_dX;
        if (nMax < kMinStretch || !(std::fabs(x) >= 0x1p-960 && std::fabs(x) < 0x1p1000))
            return 0;
        int nExp = 0;
        // x is m * 2^nExp with 0.5 <= |m| < 1; the doubles next to it are u
        // apart.
        const double m = std::frexp(x, &nExp);
        if (m == -0.5)
            return 0; // above -2^(nExp - 1) the doubles are closer
        const double u = std::ldexp(1.0, nExp - 53);
        // The last value from which one more addition still lands among
        // doubles u apart, neighbours included: there every multiple of u is
        // a double and every double a multiple of u.
        const double dLast = x > 0 ? std::ldexp(1.0, nExp) - u : -std::ldexp(1.0, nExp - 1) - u;
        d = (x + m_dStep) - x;
        // A step halfway between two multiples of u rounds to the even sum:
        // by turns up and down.
        if (!(d > 0.0) || !(std::fabs(m_dStep - d) < u / 2))
            return 0;
        // Counted with room to spare for the rounding of the divisions; the
        // value after the stretch is then checked exactly. While the sums
        // stay up to dLast, x + j * d and each of its parts are exact.
        const double dSteps = std::min((dLast - x) / d, (m_dXMax - x) / d) * (1.0 - 0x1p-40) - 2.0;
        if (!(dSteps >= static_cast<double>(kMinStretch)))
            return 0;
        const std::uint64_t nLimit = std::min(nMax, kMaxStretch);
        const std::uint64_t n =
            dSteps >= static_cast<double>(nLimit) ? nLimit : static_cast<std::uint64_t>(dSteps);
        if (!(x + static_cast<double>(n) * d < m_dXMax))
            return 0;
        return n;
    }

    double m_dX;
    double m_dXMax;
    double m_dStep;
    bool m_bMore;
    std::uint64_t m_nCount = 0;
};

// The most X values whose storage, with that of the one curve that needs the
// least new memory (the one holding nCapacity points already), takes at
// most nBudget bytes.
std::uint64_t MostValuesWithin(std::uint64_t nBudget, std::uint64_t nCapacity)
{
    if (nBudget == std::numeric_limits<std::uint64_t>::max())
        return nBudget;
    const std::uint64_t nXOnly = nBudget / kBytesPerX;
    if (nXOnly <= nCapacity)
        return nXOnly;
    // n * 8 + (n - nCapacity) * 16 <= nBudget, with no overflow: nCapacity
    // points are far fewer than 2^59.
    return (nBudget / (kBytesPerX + kBytesPerPoint)) +
           (nBudget % (kBytesPerX + kBytesPerPoint) + kBytesPerPoint * nCapacity) /
               (kBytesPerX + kBytesPerPoint);
}

} // namespace

std::uint64_t MemoryBudget()
{
    const std::uint64_t nAvailable = AvailableMemory();
    std::uint64_t nBudget = nAvailable > kMemoryReserve ? (nAvailable - kMemoryReserve) / 8 * 7 : 0;
    if (const char* pszLimit = std::getenv("TRACELO_MEMORY_LIMIT"); pszLimit != nullptr)
    {
        char* pEnd = nullptr;
        const unsigned long long nLimit = std::strtoull(pszLimit, &pEnd, 10);
        if (pEnd != pszLimit && *pEnd == '\0' && pszLimit[0] != '-')
            nBudget = std::min<std::uint64_t>(nBudget, nLimit);
    }
    return nBudget;
}

namespace
{

struct CTask
{
    std::size_t m_nFunction; // index into the shared-out functions
    std::size_t m_nBegin;
    std::size_t m_nCount;
};

// What a shared-out function needs besides its evaluator.
struct CSharedFunction
{
    CGraphFunction* m_pFunction;
    std::atomic<std::size_t> m_nBlocksLeft{0};
    std::atomic<bool> m_bError{false}; // the text is malformed
};

} // namespace

CSamplingResult SampleFunctions(std::span<CGraphFunction* const> functions,
                                const CPlotWindow& window, std::int32_t nDivisions,
                                const CSamplingOptions& options)
{
    const double dXMin = window.m_dXMin;
    const double dXMax = window.m_dXMax;
    CSamplingResult result;
    std::vector<CGraphFunction*> vAll;
    try
    {
        vAll.reserve(functions.size());
    }
    catch (const std::exception&)
    {
        result.m_bOutOfMemory = true;
        return result;
    }
    for (CGraphFunction* pFunction : functions)
    {
        if (pFunction == nullptr)
            continue;
        // The old curve goes before the new one is computed; its storage is
        // kept for the new one.
        CPointList& points = *pFunction->m_pPoints;
        points.m_window = window;
        points.DeleteAllPoints();
        if (pFunction->m_pEvaluator != nullptr)
            vAll.push_back(pFunction);
    }
    if (options.m_pTotal != nullptr)
        options.m_pTotal->store(0, std::memory_order_relaxed);

    // Only a finite, non-empty range with at least one step has samples.
    if (vAll.empty() || nDivisions < 1 || !std::isfinite(dXMin) || !std::isfinite(dXMax) ||
        !(dXMax > dXMin))
    {
        return result;
    }
    const double dStep = (dXMax - dXMin) / nDivisions;

    std::uint64_t nMaxCapacity = 0;
    for (const CGraphFunction* pFunction : vAll)
        nMaxCapacity = std::max<std::uint64_t>(nMaxCapacity, pFunction->m_pPoints->GetCapacity());
    const std::uint64_t nSmallCount = kSmallMemory / (kBytesPerX + kBytesPerPoint * vAll.size());
    std::uint64_t nBudget = options.m_nMemoryLimit != 0 ? options.m_nMemoryLimit
                                                        : std::numeric_limits<std::uint64_t>::max();
    bool bBudgetAsked = options.m_nMemoryLimit != 0;
    std::uint64_t nMostValues = MostValuesWithin(nBudget, nMaxCapacity);

    // The walk is counted first, and stops as soon as not even one curve
    // could be stored. It stores the X values as it goes, into storage sized
    // for what the window should give (one per division, and one more where
    // rounding adds a step): it is the part of a sampling no other thread can
    // share, so it is made once. The memory is looked at only at thresholds:
    // the system is asked how much is left once the values stop being few,
    // and the walk stops at the last value that fits; storage for more than
    // kSmallMemory bytes is taken only once the walk has shown it needs it.
    const std::uint64_t nExpected = static_cast<std::uint64_t>(nDivisions) + 2;
    std::vector<double, CUninitAllocator<double>> vX;
    auto tryResize = [&vX](std::uint64_t nValues)
    {
        try
        {
            vX.resize(static_cast<std::size_t>(nValues));
        }
        catch (const std::exception&)
        {
            // Then the X values are walked again once counted.
        }
    };
    tryResize(std::min({nExpected, nMostValues, kSmallMemory / kBytesPerX}));
    bool bGrown = false;
    CXWalk walk(dXMin, dXMax, dStep);
    bool bOverBudget = false;
    for (;;)
    {
        const std::uint64_t nLimit =
            bBudgetAsked ? nMostValues : std::min(nMostValues, nSmallCount);
        const std::uint64_t nStored = std::min<std::uint64_t>(vX.size(), nLimit);
        if (walk.GetCount() < nStored)
            walk.Run(vX.data(), nStored);
        else
            walk.Run(nullptr, nLimit);
        if (!walk.HasMore())
            break;
        if (walk.GetCount() < nLimit)
        {
            // The storage is full: it grows once to what the window gives.
            const std::uint64_t nWanted = std::min(nExpected, nMostValues);
            if (!bGrown && vX.size() < nWanted)
                tryResize(nWanted);
            bGrown = true;
            continue;
        }
        if (!bBudgetAsked && walk.GetCount() >= nSmallCount)
        {
            nBudget = MemoryBudget();
            bBudgetAsked = true;
            nMostValues = MostValuesWithin(nBudget, nMaxCapacity);
            continue;
        }
        // Not even the largest storage there is would hold one more.
        bOverBudget = true;
        break;
    }
    const std::uint64_t nCount = walk.GetCount() + (bOverBudget ? 1 : 0);

    // The curves that fit, in list order; the others stay empty.
    std::size_t nFit = 0;
    std::uint64_t nNeed = nCount * kBytesPerX; // new bytes of the X values and curves
    for (; nFit < vAll.size(); ++nFit)
    {
        const std::uint64_t nHave = vAll[nFit]->m_pPoints->GetCapacity();
        nNeed += nCount > nHave ? (nCount - nHave) * kBytesPerPoint : 0;
        if (nNeed > nBudget)
            break;
    }
    if (nFit < vAll.size())
    {
        if (options.m_bAllOrNothing)
            nFit = 0;
        result.m_bOutOfMemory = true;
        for (std::size_t i = nFit; i < vAll.size(); ++i)
            vAll[i]->m_pPoints->Release();
        vAll.resize(nFit);
    }
    if (vAll.empty())
        return result;
    if (options.m_pTotal != nullptr)
        options.m_pTotal->store(nCount * vAll.size(), std::memory_order_relaxed);

    const int nThreads =
        std::clamp(options.m_nThreads > 0 ? options.m_nThreads : SamplingThreadLimit(), 1, 256);
    try
    {
        if (vX.size() < nCount)
        {
            // More X values than expected, or too many to store while they
            // were counted: walked again from the start into their count.
            decltype(vX)().swap(vX);
            vX.resize(static_cast<std::size_t>(nCount));
            CXWalk(dXMin, dXMax, dStep).Run(vX.data(), nCount);
        }
        const std::span<const double> xs(vX.data(), static_cast<std::size_t>(nCount));

        if (nThreads == 1 || nCount * vAll.size() < kSmallWork)
        {
            for (CGraphFunction* pFunction : vAll)
            {
                try
                {
                    if (!SampleInOrder(*pFunction, xs, options))
                        result.m_bCancelled = true;
                }
                catch (const std::exception&)
                {
                    pFunction->m_pPoints->Release();
                    result.m_bOutOfMemory = true;
                }
            }
            return result;
        }

        // Which texts draw random numbers: those run in order on the first
        // thread with their own evaluator, the rest are cut into tasks. Only
        // a text that spells RAND is compiled here to find out; the others
        // are compiled once by each thread that evaluates them.
        std::vector<CGraphFunction*> vInOrder;
        std::vector<CSharedFunction> vShared(vAll.size());
        std::vector<CTask> vTasks;
        std::size_t nShared = 0;
        {
            CExprEvaluator planner;
            for (CGraphFunction* pFunction : vAll)
            {
                if (IsCancelled(options))
                {
                    result.m_bCancelled = true;
                    for (CGraphFunction* pLeft : vAll)
                        pLeft->m_pPoints->Release();
                    return result;
                }
                const std::string& strText = pFunction->m_strExpression;
                std::size_t nOps = strText.size(); // at least as many characters as operations
                if (MaySpellRand(strText))
                {
                    const CExprProgram& program = planner.Compile(strText);
                    if (program.UsesRandom())
                    {
                        vInOrder.push_back(pFunction);
                        continue;
                    }
                    nOps = program.GetOperationCount();
                }
                CSharedFunction& shared = vShared[nShared];
                shared.m_pFunction = pFunction;
                pFunction->m_pPoints->Resize(xs.size());
                const std::size_t nBlock = BlockFor(nOps, kMaxTaskBlock);
                std::size_t nBlocks = 0;
                for (std::size_t i = 0; i < xs.size(); i += nBlock, ++nBlocks)
                    vTasks.push_back(CTask{nShared, i, std::min(nBlock, xs.size() - i)});
                shared.m_nBlocksLeft.store(nBlocks, std::memory_order_relaxed);
                ++nShared;
            }
        }
        std::vector<std::unique_ptr<CExprEvaluator>> vEvaluators;
        std::vector<std::vector<double>> vScratch;
        for (int i = 0; i < nThreads; ++i)
        {
            vEvaluators.push_back(std::make_unique<CExprEvaluator>());
            vScratch.emplace_back(kMaxTaskBlock);
        }

        bool bInOrderCancelled = false;
        std::atomic<std::size_t> nNextTask{0};
#pragma omp parallel num_threads(nThreads)
        {
            const int nThread = omp_get_thread_num();
            if (nThread == 0)
            {
                for (CGraphFunction* pFunction : vInOrder)
                {
                    try
                    {
                        if (!SampleInOrder(*pFunction, xs, options))
                            bInOrderCancelled = true;
                    }
                    catch (const std::exception&)
                    {
                        pFunction->m_pPoints->Release();
                        result.m_bOutOfMemory = true;
                    }
                }
            }
            CExprEvaluator& evaluator = *vEvaluators[static_cast<std::size_t>(nThread)];
            double* pY = vScratch[static_cast<std::size_t>(nThread)].data();
            // Each thread takes the next task in turn; on a cancel every
            // thread stops at once rather than walking the tasks left.
            for (std::size_t t = nNextTask.fetch_add(1, std::memory_order_relaxed);
                 t < vTasks.size() && !IsCancelled(options);
                 t = nNextTask.fetch_add(1, std::memory_order_relaxed))
            {
                const CTask& task = vTasks[t];
                CSharedFunction& shared = vShared[task.m_nFunction];
                CGraphFunction& function = *shared.m_pFunction;
                const double* pX = xs.data() + task.m_nBegin;
                if (shared.m_bError.load(std::memory_order_relaxed))
                {
                    // A malformed text has no points: the rest is skipped.
                    shared.m_nBlocksLeft.fetch_sub(1, std::memory_order_relaxed);
                    AddDone(options, task.m_nCount);
                    continue;
                }
                if (evaluator.EvaluateMany(function.m_strExpression, pX, pY, task.m_nCount))
                    shared.m_bError.store(true, std::memory_order_relaxed);
                CCurvePoint* pOut = function.m_pPoints->GetWritableData() + task.m_nBegin;
                for (std::size_t j = 0; j < task.m_nCount; ++j)
                    pOut[j] = CCurvePoint{pX[j], OneNaN(pY[j])};
                shared.m_nBlocksLeft.fetch_sub(1, std::memory_order_relaxed);
                AddDone(options, task.m_nCount);
            }
        }
        result.m_bCancelled = bInOrderCancelled;
        for (std::size_t i = 0; i < nShared; ++i)
        {
            if (vShared[i].m_bError.load(std::memory_order_relaxed))
                vShared[i].m_pFunction->m_pPoints->Release();
            if (vShared[i].m_nBlocksLeft.load(std::memory_order_relaxed) != 0)
            {
                vShared[i].m_pFunction->m_pPoints->Release();
                result.m_bCancelled = true;
            }
        }
        // Each evaluator is left as the serial run leaves it: compiled for,
        // and flagged by, the last text it evaluated.
        if (!result.m_bCancelled)
        {
            std::vector<CExprEvaluator*> vSeen;
            for (auto it = vAll.rbegin(); it != vAll.rend(); ++it)
            {
                CExprEvaluator* pEvaluator = (*it)->m_pEvaluator;
                if (std::find(vSeen.begin(), vSeen.end(), pEvaluator) != vSeen.end())
                    continue;
                vSeen.push_back(pEvaluator);
                pEvaluator->EvaluateMany((*it)->m_strExpression, nullptr, nullptr, 0);
            }
        }
    }
    catch (const std::exception&)
    {
        // bad_alloc or length_error: the curves not finished go, the
        // program goes on.
        for (CGraphFunction* pFunction : vAll)
            pFunction->m_pPoints->Release();
        result.m_bOutOfMemory = true;
    }
    return result;
}

void SampleAllOrThrow(CFunctionList& functions, const CPlotWindow& window, std::int32_t nDivisions,
                      const CSamplingOptions& options)
{
    std::vector<CGraphFunction*> vFunctions;
    vFunctions.reserve(functions.size());
    for (CGraphFunction& function : functions)
        vFunctions.push_back(&function);
    CSamplingOptions allOrNothing = options;
    allOrNothing.m_bAllOrNothing = true;
    if (SampleFunctions(vFunctions, window, nDivisions, allOrNothing).m_bOutOfMemory)
    {
        throw std::bad_alloc();
    }
}

int SamplingThreadLimit()
{
    const int nProcessors = std::max(1, omp_get_num_procs());
    const char* pszLimit = std::getenv("TRACELO_THREADS");
    if (pszLimit != nullptr)
    {
        char* pEnd = nullptr;
        const long nLimit = std::strtol(pszLimit, &pEnd, 10);
        if (pEnd != pszLimit && *pEnd == '\0' && nLimit > 0)
            return static_cast<int>(std::min<long>(nLimit, nProcessors));
    }
    return nProcessors;
}

namespace
{

#ifndef _WIN32
// A number from a file of /proc or /sys: the one after strKey, or the
// file's first word when strKey is empty; times nUnit. Max when there is no
// number there ("max" in a control group's limit).
std::uint64_t ReadNumber(const std::string& strPath, const std::string& strKey, std::uint64_t nUnit)
{
    constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
    std::ifstream in(strPath);
    std::string strWord;
    while (in >> strWord)
    {
        if (!strKey.empty())
        {
            if (strWord != strKey)
                continue;
            if (!(in >> strWord))
                return kNone;
        }
        if (strWord.empty() || strWord.find_first_not_of("0123456789") != std::string::npos ||
            strWord.size() > 19)
            return kNone;
        const std::uint64_t n = std::stoull(strWord);
        return n > kNone / nUnit ? kNone : n * nUnit;
    }
    return kNone;
}

// Room under a resource limit, given what the process uses of it now.
std::uint64_t RoomUnder(int nResource, std::uint64_t nUsed)
{
    rlimit limit{};
    if (getrlimit(nResource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<std::uint64_t>::max();
    const auto nLimit = static_cast<std::uint64_t>(limit.rlim_cur);
    return nLimit > nUsed ? nLimit - nUsed : 0;
}
#endif

} // namespace

std::uint64_t AvailableMemory()
{
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return std::numeric_limits<std::uint64_t>::max();
    return std::min<std::uint64_t>(status.ullAvailPhys + status.ullAvailPageFile / 2,
                                   status.ullAvailVirtual);
#else
    const auto nPage = static_cast<std::uint64_t>(std::max(1L, sysconf(_SC_PAGESIZE)));
    std::uint64_t nRoom = ReadNumber("/proc/meminfo", "MemAvailable:", 1024);
    if (nRoom == std::numeric_limits<std::uint64_t>::max())
    {
        const long nPages = sysconf(_SC_AVPHYS_PAGES);
        if (nPages > 0)
            nRoom = static_cast<std::uint64_t>(nPages) * nPage;
    }
    // statm: total program size, resident, shared, text, library, data+stack.
    std::uint64_t aStatm[6] = {};
    {
        std::ifstream in("/proc/self/statm");
        for (std::uint64_t& n : aStatm)
            in >> n;
    }
    nRoom = std::min(nRoom, RoomUnder(RLIMIT_AS, aStatm[0] * nPage));
#ifdef RLIMIT_DATA
    nRoom = std::min(nRoom, RoomUnder(RLIMIT_DATA, aStatm[5] * nPage));
#endif
    // A control group's limit (cgroup v2), as containers set it.
    std::ifstream cgroup("/proc/self/cgroup");
    std::string strLine;
    while (std::getline(cgroup, strLine))
    {
        if (strLine.rfind("0::", 0) != 0)
            continue;
        const std::string strDir = "/sys/fs/cgroup" + strLine.substr(3);
        const std::uint64_t nMax = ReadNumber(strDir + "/memory.max", "", 1);
        const std::uint64_t nCurrent = ReadNumber(strDir + "/memory.current", "", 1);
        if (nMax != std::numeric_limits<std::uint64_t>::max() &&
            nCurrent != std::numeric_limits<std::uint64_t>::max())
            nRoom = std::min(nRoom, nMax > nCurrent ? nMax - nCurrent : 0);
    }
    return nRoom;
#endif
}
