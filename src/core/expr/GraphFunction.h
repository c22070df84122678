// One function of a graph: the expression as typed, the colour of its curve
// and the curve itself as the samples of the last Sample call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/expr/Color.h"
#include "core/expr/PlotWindow.h"

class CExprEvaluator;
class CDrawDevice;

struct CCurvePoint
{
    double m_dX;
    double m_dY;
};

// Gives new elements no value: a curve that the sampling resizes is written
// in place by its threads, so zeroing it first would only cost a pass over
// the memory on one thread.
template <typename T> struct CUninitAllocator : std::allocator<T>
{
    template <typename U> struct rebind
    {
        using other = CUninitAllocator<U>;
    };
    CUninitAllocator() = default;
    template <typename U> CUninitAllocator(const CUninitAllocator<U>&) noexcept {}
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// The samples of one curve, in the order they were produced (increasing X),
// and the window they were taken for. Kept in one contiguous block so that
// resampling allocates nothing once the block has grown and drawing walks
// plain memory.
class CPointList
{
public:
    void AddPoint(double x, double y) { m_vPoints.push_back(CCurvePoint{x, y}); }
    // nPos is an index below GetCount().
    void GetPoint(std::size_t nPos, double& x, double& y) const
    {
        const CCurvePoint& pt = m_vPoints[nPos];
        x = pt.m_dX;
        y = pt.m_dY;
    }
    // Forgets every point but keeps the storage for the next sampling.
    void DeleteAllPoints() { m_vPoints.clear(); }
    void Reserve(std::size_t nCount) { m_vPoints.reserve(nCount); }
    // Forgets every point and gives the storage back.
    void Release() { decltype(m_vPoints)().swap(m_vPoints); }
    // nCount points to be written in place through GetWritableData, for the
    // sampling that fills blocks of a curve on several threads at once; the
    // new points hold no value until then.
    void Resize(std::size_t nCount) { m_vPoints.resize(nCount); }
    CCurvePoint* GetWritableData() { return m_vPoints.data(); }

    std::size_t GetCount() const { return m_vPoints.size(); }
    std::size_t GetCapacity() const { return m_vPoints.capacity(); }
    bool IsEmpty() const { return m_vPoints.empty(); }
    const CCurvePoint* GetData() const { return m_vPoints.data(); }

    const CCurvePoint* begin() const { return m_vPoints.data(); }
    const CCurvePoint* end() const { return m_vPoints.data() + m_vPoints.size(); }

    // Window of the last sampling; the Y bounds only tell the drawing code
    // which window the points were taken for. Kept here rather than in the
    // function, so that a function loaded but never sampled does not pay
    // for it.
    CPlotWindow m_window;

private:
    std::vector<CCurvePoint, CUninitAllocator<CCurvePoint>> m_vPoints;
};

// Owns the samples of one curve. The list is allocated when it is first
// changed, so a function that was loaded but never sampled costs nothing
// here; until then reading it gives an empty list.
class CPointListPtr
{
public:
    CPointListPtr() = default;
    CPointListPtr(std::unique_ptr<CPointList> pList) : m_pList(std::move(pList)) {}
    CPointListPtr& operator=(std::unique_ptr<CPointList> pList)
    {
        m_pList = std::move(pList);
        return *this;
    }

    CPointList* operator->() { return &Get(); }
    CPointList& operator*() { return Get(); }
    const CPointList* operator->() const { return m_pList ? m_pList.get() : &Empty(); }
    const CPointList& operator*() const { return *operator->(); }
    // Whether the list has been allocated yet.
    bool IsAllocated() const { return m_pList != nullptr; }

private:
    CPointList& Get()
    {
        if (!m_pList)
        {
            m_pList = std::make_unique<CPointList>();
        }
        return *m_pList;
    }
    static const CPointList& Empty();

    std::unique_ptr<CPointList> m_pList;
};

class CGraphFunction
{
public:
    // pEvaluator belongs to the document and must outlive this function.
    explicit CGraphFunction(CExprEvaluator* pEvaluator) noexcept : m_pEvaluator(pEvaluator) {}

    // Held by value in the document's list, so it moves (a move takes the
    // curve's storage along); a copy of a curve is never wanted.
    CGraphFunction(CGraphFunction&&) noexcept = default;
    CGraphFunction& operator=(CGraphFunction&&) noexcept = default;
    CGraphFunction(const CGraphFunction&) = delete;
    CGraphFunction& operator=(const CGraphFunction&) = delete;

    // Refills the curve: one evaluation at X min, then at every step of
    // (X max - X min) / nDivisions added up while x < X max. A malformed
    // expression leaves the curve empty; NaN and infinite values are kept.
    // So does a curve that would not fit in the memory left to the program.
    // The work is shared out as SampleFunctions (Sampling.h) does it.
    void Sample(const CPlotWindow& window, std::int32_t nDivisions);

    // Draws the stored samples into the plot rectangle (defined with the
    // drawing code in src/core/plot).
    void DrawCurve(CDrawDevice* pDC, std::int32_t nLeft, std::int32_t nWidth, std::int32_t nTop,
                   std::int32_t nHeight) const;

    CExprEvaluator* m_pEvaluator; // not owned
    CPointListPtr m_pPoints;      // owned, with the window; allocated when first sampled
    std::string m_strExpression;  // exactly as typed
    COLORREF m_crColor = 0;
};

// The list moves its functions when it grows; a move that could throw would
// have it copy them instead.
static_assert(std::is_nothrow_move_constructible_v<CGraphFunction>);

// What one function costs before it is sampled, its text aside: its place in
// the list, which holds the functions themselves in one block.
inline constexpr std::uint64_t kBytesPerLoadedFunction = sizeof(CGraphFunction);

// The document's functions in list order: drawing, file and selection order.
// Held by value, so that a loaded function costs its place in one block and
// nothing more until it is sampled. Adding to or removing from the list moves
// the functions: a pointer to one is good only while the list is unchanged.
using CFunctionList = std::vector<CGraphFunction>;
