#include "core/expr/ExprProgram.h"

#include "core/expr/ExprEvaluator.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace
{

// Values evaluated side by side by RunMany.
constexpr std::size_t kLanes = 64;
// Programs with more slots than this run one X at a time, so that the lanes
// of a huge text do not take memory out of proportion.
constexpr std::size_t kMaxLaneSlots = 4096;

} // namespace

// Every operation, in one place: the literal walk, the folding of known
// operands and both ways of running a program come here, so they compute the
// same bits. b is used by the operations of two operands only.
inline double CExprProgram::Apply(EOp op, double a, double b)
{
    switch (op)
    {
    case OP_ADD:
        return a + b;
    case OP_SUB:
        return a - b;
    case OP_MUL:
        return a * b;
    case OP_DIV:
        return a / b;
    case OP_POW:
        return std::pow(a, b);
    case OP_COS:
        return std::cos(a);
    case OP_SIN:
        return std::sin(a);
    case OP_TAN:
        return std::tan(a);
    case OP_ACOS:
        return std::acos(a);
    case OP_ASIN:
        return std::asin(a);
    case OP_ATAN:
        return std::atan(a);
    case OP_COSH:
        return std::cosh(a);
    case OP_SINH:
        return std::sinh(a);
    case OP_TANH:
        return std::tanh(a);
    case OP_SEC:
        return 1.0 / std::cos(a);
    case OP_COSEC:
        return 1.0 / std::sin(a);
    case OP_COTAN:
        return 1.0 / std::tan(a);
    case OP_ABS:
        return std::fabs(a);
    case OP_SQRT:
        return std::sqrt(a);
    case OP_LN:
        return std::log(a);
    case OP_LOG:
        return std::log10(a);
    case OP_EXP:
        return std::exp(a);
    case OP_RAND:
        return a * static_cast<double>(CRandomGenerator::Next());
    case OP_SIGN:
        return a < 0 ? -1.0 : 1.0;
    case OP_NONE:
        break;
    }
    return 0.0;
}

CExprProgram::CExprProgram()
{
    NewSlot(0.0, false, true); // X
}

CExprProgram::EOp CExprProgram::FunctionOp(std::string_view strName)
{
    // Compared in the order of the table of built-in functions.
    static constexpr std::pair<std::string_view, EOp> kTable[] = {
        {"COS", OP_COS},   {"SIN", OP_SIN},   {"TAN", OP_TAN},     {"ACOS", OP_ACOS},
        {"ASIN", OP_ASIN}, {"ATAN", OP_ATAN}, {"COSH", OP_COSH},   {"SINH", OP_SINH},
        {"TANH", OP_TANH}, {"SEC", OP_SEC},   {"COSEC", OP_COSEC}, {"COTAN", OP_COTAN},
        {"ABS", OP_ABS},   {"SQRT", OP_SQRT}, {"LN", OP_LN},       {"LOG", OP_LOG},
        {"EXP", OP_EXP},   {"RAND", OP_RAND}, {"SIGN", OP_SIGN},
    };
    for (const auto& [strEntry, op] : kTable)
        if (strEntry == strName)
            return op;
    return OP_NONE;
}

double CExprProgram::EvaluateFunction(EOp op, double x)
{
    return Apply(op, x, x);
}

double CExprProgram::EvaluateBinary(EOp op, double a, double b)
{
    return Apply(op, a, b);
}

CExprProgram::Slot CExprProgram::NewSlot(double dInitial, bool bConstant, bool bMaybeNegZero)
{
    const Slot s = static_cast<Slot>(m_vRegs.size());
    m_vRegs.push_back(dInitial);
    m_vIsConstant.push_back(bConstant);
    m_vMaybeNegZero.push_back(bMaybeNegZero);
    return s;
}

CExprProgram::Slot CExprProgram::Constant(double d)
{
    // Every empty operand and every end of text is a +0: they share a slot.
    if (std::bit_cast<std::uint64_t>(d) == 0)
    {
        if (m_nZero == kSlotX)
            m_nZero = NewSlot(0.0, true, false);
        return m_nZero;
    }
    return NewSlot(d, true, d == 0.0);
}

CExprProgram::Slot CExprProgram::Binary(EOp op, Slot a, Slot b)
{
    if (IsConstant(a) && IsConstant(b))
        return Constant(EvaluateBinary(op, m_vRegs[a], m_vRegs[b]));
    if (op == OP_ADD)
    {
        // Adding +0 changes nothing but -0, so where the other side cannot
        // be -0 the addition is left out (a NaN keeps its bits either way).
        auto isPlusZero = [this](Slot s)
        { return IsConstant(s) && std::bit_cast<std::uint64_t>(m_vRegs[s]) == 0; };
        if (isPlusZero(a) && !m_vMaybeNegZero[b])
            return b;
        if (isPlusZero(b) && !m_vMaybeNegZero[a])
            return a;
    }
    bool bMaybeNegZero = true;
    if (op == OP_ADD) // a + b is -0 only when both are
        bMaybeNegZero = m_vMaybeNegZero[a] && m_vMaybeNegZero[b];
    else if (op == OP_SUB) // a - b is -0 only when a is -0 and b is +0
        bMaybeNegZero = m_vMaybeNegZero[a] && !(IsConstant(b) && m_vRegs[b] != 0.0);
    const Slot dst = NewSlot(0.0, false, bMaybeNegZero);
    m_vOps.push_back(COp{op, dst, a, b});
    return dst;
}

CExprProgram::Slot CExprProgram::Function(EOp op, Slot a)
{
    if (op == OP_NONE)
        return Constant(0.0);
    if (op != OP_RAND && IsConstant(a))
        return Constant(EvaluateFunction(op, m_vRegs[a]));
    m_bUsesRandom |= (op == OP_RAND);
    const bool bMaybeNegZero = !(op == OP_ABS || op == OP_SIGN || op == OP_EXP || op == OP_COSH);
    const Slot dst = NewSlot(0.0, false, bMaybeNegZero);
    m_vOps.push_back(COp{op, dst, a, a});
    return dst;
}

void CExprProgram::Finish(Slot result, bool bError)
{
    m_nResult = result;
    m_bError = bError;
    m_vLanes.clear();
    if (!m_bUsesRandom && m_vRegs.size() <= kMaxLaneSlots)
    {
        m_vLanes.resize(m_vRegs.size() * kLanes);
        for (std::size_t s = 0; s < m_vRegs.size(); ++s)
            if (m_vIsConstant[s])
                std::fill_n(m_vLanes.begin() + static_cast<std::ptrdiff_t>(s * kLanes), kLanes,
                            m_vRegs[s]);
    }
}

double CExprProgram::Run(double x)
{
    double* r = m_vRegs.data();
    r[kSlotX] = x;
    for (const COp& op : m_vOps)
        r[op.m_dst] = Apply(op.m_op, r[op.m_a], r[op.m_b]);
    return r[m_nResult];
}

void CExprProgram::RunMany(const double* pX, double* pY, std::size_t n)
{
    if (m_vLanes.empty())
    {
        for (std::size_t i = 0; i < n; ++i)
            pY[i] = Run(pX[i]);
        return;
    }
    double* lanes = m_vLanes.data();
    // X is read where it is and the last operation, when it gives the
    // result, writes it where it goes: no copies in or out.
    const COp* pLast = m_vOps.empty() ? nullptr : &m_vOps.back();
    const bool bLastGivesResult = pLast != nullptr && pLast->m_dst == m_nResult;
    for (std::size_t nDone = 0; nDone < n; nDone += kLanes)
    {
        const std::size_t m = std::min(kLanes, n - nDone);
        const double* x = pX + nDone;
        auto slot = [lanes, x](Slot s) -> const double*
        { return s == kSlotX ? x : lanes + s * kLanes; };
        for (const COp& op : m_vOps)
        {
            double* d = bLastGivesResult && &op == pLast ? pY + nDone : lanes + op.m_dst * kLanes;
            const double* a = slot(op.m_a);
            const double* b = slot(op.m_b);
            // One pass of the switch per operation, then a plain loop over
            // the lanes with the operation fixed.
            auto lanesOf = [&](auto fn)
            {
                for (std::size_t l = 0; l < m; ++l)
                    d[l] = fn(a[l], b[l]);
            };
            switch (op.m_op)
            {
#define TRACELO_LANES(OP)                                                                          \
    case OP:                                                                                       \
        lanesOf([](double u, double v) { return Apply(OP, u, v); });                               \
        break;
                TRACELO_LANES(OP_ADD)
                TRACELO_LANES(OP_SUB)
                TRACELO_LANES(OP_MUL)
                TRACELO_LANES(OP_DIV)
                TRACELO_LANES(OP_POW)
                TRACELO_LANES(OP_COS)
                TRACELO_LANES(OP_SIN)
                TRACELO_LANES(OP_TAN)
                TRACELO_LANES(OP_ACOS)
                TRACELO_LANES(OP_ASIN)
                TRACELO_LANES(OP_ATAN)
                TRACELO_LANES(OP_COSH)
                TRACELO_LANES(OP_SINH)
                TRACELO_LANES(OP_TANH)
                TRACELO_LANES(OP_SEC)
                TRACELO_LANES(OP_COSEC)
                TRACELO_LANES(OP_COTAN)
                TRACELO_LANES(OP_ABS)
                TRACELO_LANES(OP_SQRT)
                TRACELO_LANES(OP_LN)
                TRACELO_LANES(OP_LOG)
                TRACELO_LANES(OP_EXP)
                TRACELO_LANES(OP_SIGN)
#undef TRACELO_LANES
            default: // RAND and unknown names never reach the lanes
                lanesOf([op](double u, double v) { return Apply(op.m_op, u, v); });
                break;
            }
        }
        if (!bLastGivesResult)
            std::copy_n(slot(m_nResult), m, pY + nDone);
    }
}
