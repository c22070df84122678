// One graph: its plotting window, divisions, grid switch, ordered functions
// and the evaluator they all share. The view's commands change these members
// directly, so they are public.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/doc/Document.h"
#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/expr/PlotWindow.h"

// Fewest and most steps a curve is sampled in. Below the minimum the sampler
// has too few points to be of use; above the maximum every resampling would
// need more memory than a desktop can give (a million divisions already make
// 16 MB of points per function).
inline constexpr std::int32_t kMinDivisions = 10;
inline constexpr std::int32_t kMaxDivisions = 1000000;

class CTraceloDoc : public CDocument
{
public:
    // Defaults of a new graph, also given by the constructor so that a
    // graph that is neither new nor read (a zero-length file) has them.
    static constexpr std::int32_t kDefaultDivisions = 500;
    static constexpr bool kDefaultGrid = true;
    // The shortest function record: an empty text's one-byte length and the
    // four bytes of the colour.
    static constexpr std::uint64_t kMinRecordBytes = 5;

    CTraceloDoc();
    ~CTraceloDoc() override;

    bool OnNewDocument() override;
    void Serialize(CArchive& ar) override;

    // Destroys every function and leaves the list empty.
    void DeleteFunctions();

    // Brings window and divisions into the ranges the parameters command
    // keeps: the window as CPlotWindow::Corrected gives it, divisions within
    // [kMinDivisions, kMaxDivisions].
    void CorrectParameters();

    // Declared in this order so that the implicit destruction matches the
    // explicit one of the destructor: functions, list, evaluator.
    std::unique_ptr<CExprEvaluator> m_pEvaluator;
    std::unique_ptr<CFunctionList> m_pFunctions;
    CPlotWindow m_window = kNewGraphWindow;
    std::int32_t m_nDivisions = kDefaultDivisions;
    bool m_bGrid = kDefaultGrid;
    // Counts the resamplings of the curves, whichever window made them, so
    // that a window keeping a picture of them knows it is out of date.
    std::uint64_t m_nSamplings = 0;
};
