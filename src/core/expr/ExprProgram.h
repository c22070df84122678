// The compiled form of an expression: the arithmetic that evaluating its text
// performs, recorded once as a straight list of operations.
//
// Which operations the evaluation of a text performs, and in which order,
// depends on the text alone: X only flows through them as a value. So the
// recursive walk over the text is run once with symbolic values, each
// operation it would perform is appended here, and evaluating at another X
// runs the list. Operations whose operands are all known are done while
// recording, with the same code that runs them later, so the results are the
// same bits. RAND is never done early: its draws keep their number and order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class CExprProgram
{
public:
    enum EOp : std::uint8_t
    {
        // Two operands.
        OP_ADD,
        OP_SUB,
        OP_MUL,
        OP_DIV,
        OP_POW,
        // One operand: the built-in functions in the order of their table.
        OP_COS,
        OP_SIN,
        OP_TAN,
        OP_ACOS,
        OP_ASIN,
        OP_ATAN,
        OP_COSH,
        OP_SINH,
        OP_TANH,
        OP_SEC,
        OP_COSEC,
        OP_COTAN,
        OP_ABS,
        OP_SQRT,
        OP_LN,
        OP_LOG,
        OP_EXP,
        OP_RAND,
        OP_SIGN,
        OP_NONE // a name that is no built-in function
    };

    using Slot = std::uint32_t;
    static constexpr Slot kSlotX = 0;

    // The built-in function a name stands for, or OP_NONE.
    static EOp FunctionOp(std::string_view strName);
    // The one definition of every operation, used both by the literal walk
    // and by the compiled form.
    static double EvaluateFunction(EOp op, double x);
    static double EvaluateBinary(EOp op, double a, double b);

    // Recording.
    Slot Constant(double d);
    Slot Binary(EOp op, Slot a, Slot b);
    Slot Function(EOp op, Slot a);
    void Finish(Slot result, bool bError);

    // Running. The error flag is the same at every X.
    bool HasError() const { return m_bError; }
    bool UsesRandom() const { return m_bUsesRandom; }
    std::size_t GetOperationCount() const { return m_vOps.size(); }
    double Run(double x);
    // pY[i] = Run(pX[i]) for every i, in order.
    void RunMany(const double* pX, double* pY, std::size_t n);

private:
    static double Apply(EOp op, double a, double b);

    struct COp
    {
        EOp m_op;
        Slot m_dst;
        Slot m_a;
        Slot m_b;
    };

    bool IsConstant(Slot s) const { return m_vIsConstant[s]; }
    Slot NewSlot(double dInitial, bool bConstant, bool bMaybeNegZero);

    // Slot 0 is X; every constant and every operation's result has a slot of
    // its own, numbered in the order of recording. Constant slots hold their
    // value from the start and are never written.
    std::vector<COp> m_vOps;
    std::vector<double> m_vRegs;       // slot values for Run
    std::vector<bool> m_vIsConstant;   // per slot
    std::vector<bool> m_vMaybeNegZero; // per slot: may hold -0.0
    std::vector<double> m_vLanes;      // slot values for RunMany, kLanes per slot
    Slot m_nZero = kSlotX;             // the constant +0 once it has a slot
    Slot m_nResult = kSlotX;
    bool m_bError = false;
    bool m_bUsesRandom = false;

public:
    CExprProgram();
};
