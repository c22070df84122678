// A second, deliberately naive evaluator for the tests: every reader walks and
// copies its text character by character, exactly as the rules of the
// language are written down, with no tables. The engine finds group and
// segment ends through precomputed tables; comparing the two on many texts
// checks that the tables answer what the walks answer.
#pragma once

#include "core/expr/ExprEvaluator.h"

#include <cmath>
#include <string>

class CLiteralEvaluator
{
public:
    double EvaluateAt(std::string text, double x)
    {
        m_bError = false;
        CExprEvaluator::NormalizeExpression(text);
        m_dX = x;
        return EvalFrom(text, 0);
    }
    bool HasError() const { return m_bError; }

private:
    static bool In(const char* set, char c)
    {
        for (const char* p = set; *p; ++p)
            if (*p == c)
                return true;
        return false;
    }
    static constexpr const char* kIdentStart = "ABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    static constexpr const char* kIdentChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    static constexpr const char* kNumberChars = "0123456789.";

    static double ReadNumber(const std::string& t, int& pos)
    {
        std::string token;
        while (pos < (int)t.size() && In(kNumberChars, t[pos]))
            token += t[pos++];
        // Longest prefix that is a decimal number with at most one point.
        std::string prefix;
        bool bPoint = false;
        for (char c : token)
        {
            if (c == '.')
            {
                if (bPoint)
                    break;
                bPoint = true;
            }
            prefix += c;
        }
        bool bDigit = false;
        for (char c : prefix)
            bDigit |= (c != '.');
        if (!bDigit)
            return 0.0;
        return std::strtod(prefix.c_str(), nullptr); // tests run in the "C" locale here
    }
    static std::string ReadIdentifier(const std::string& t, int& pos)
    {
        std::string name;
        while (pos < (int)t.size() && In(kIdentChars, t[pos]))
            name += t[pos++];
        return name;
    }
    std::string ExtractGroup(const std::string& t, int& pos)
    {
        ++pos;
        int depth = 1;
        std::string group;
        for (;;)
        {
            if (pos >= (int)t.size())
            {
                m_bError = true;
                break;
            }
            const char c = t[pos];
            if (c == '(')
                ++depth;
            if (c == ')')
                --depth;
            if (depth <= 0)
                break;
            group += c;
            ++pos;
        }
        ++pos;
        return group;
    }
    static char ScanSegment(const std::string& t, std::string& seg, const char* stops, int& pos)
    {
        ++pos;
        int depth = 0;
        seg.clear();
        while (pos < (int)t.size())
        {
            const char c = t[pos];
            if (c == '(')
                ++depth;
            if (c == ')')
                --depth;
            if (In(stops, c) && depth == 0)
                return c;
            seg += c;
            ++pos;
        }
        return '!';
    }
    double EvalFrom(const std::string& t, int start)
    {
        int pos = start;
        double value = 0;
        if (m_bError || pos >= (int)t.size())
            return 0;
        const char c = t[pos];
        if (c == '(')
        {
            std::string g = ExtractGroup(t, pos);
            value = EvalFrom(g, 0);
        }
        else if (In(kIdentStart, c))
        {
            std::string name = ReadIdentifier(t, pos);
            if (name == "X")
                value = m_dX;
            else if (name == "E")
                value = 2.718281828459045;
            else if (name == "PI")
                value = 3.141592653589793;
            else
            {
                std::string arg = ExtractGroup(t, pos);
                const double v = EvalFrom(arg, 0);
                value = CExprEvaluator::ApplyFunction(name, v);
            }
        }
        else if (In(kNumberChars, c))
            value = ReadNumber(t, pos);
        if (pos >= (int)t.size())
            return value;
        const double left = value;
        std::string seg;
        switch (t[pos])
        {
        case '+':
        {
            const double r = EvalFrom(t, pos + 1);
            return r + left;
        }
        case '-':
        {
            ScanSegment(t, seg, "+-", pos);
            const double d = left - EvalFrom(seg, 0);
            const double r = EvalFrom(t, pos);
            return r + d;
        }
        case '*':
        {
            ScanSegment(t, seg, "+-", pos);
            const double p = EvalFrom(seg, 0) * left;
            const double r = EvalFrom(t, pos);
            return r + p;
        }
        case '/':
            return EvalDivision(left, t, pos);
        case '^':
            return EvalPower(left, t, pos);
        case '%':
        {
            const double r = EvalFrom(t, pos + 1);
            return (r * 0.01) * left;
        }
        default:
            m_bError = true;
            return left;
        }
    }
    double EvalDivision(double left, const std::string& t, int pos)
    {
        double acc = left;
        std::string seg, seg2;
        char c = ScanSegment(t, seg, "+-*/", pos);
        while (c == '/')
        {
            acc = acc / EvalFrom(seg, 0);
            c = ScanSegment(t, seg, "+-*/", pos);
        }
        acc = acc / EvalFrom(seg, 0);
        if (c == '*')
        {
            ScanSegment(t, seg2, "+-", pos);
            acc = EvalFrom(seg2, 0) * acc;
        }
        const double r = EvalFrom(t, pos);
        return r + acc;
    }
    double EvalPower(double left, const std::string& t, int pos)
    {
        std::string seg, seg2;
        const char c = ScanSegment(t, seg, "+-*/", pos);
        double acc = std::pow(left, EvalFrom(seg, 0));
        if (c == '/')
            return EvalDivision(acc, t, pos);
        if (c == '*')
        {
            ScanSegment(t, seg2, "+-", pos);
            acc = EvalFrom(seg2, 0) * acc;
        }
        const double r = EvalFrom(t, pos);
        return r + acc;
    }

    double m_dX = 0;
    bool m_bError = false;
};
