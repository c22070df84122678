// Random expression texts for the tests that compare two evaluations.
#pragma once

#include <cstddef>
#include <iterator>
#include <random>
#include <string>

// Pieces of the language thrown together: mostly malformed or quirky texts
// (signs after operators, '%', unclosed and empty groups, unknown names,
// blanks, tabs, commas, numbers with several points).
inline std::string RandomPieces(std::mt19937& rng)
{
    static const char* const kPieces[] = {
        "X",     "1",      "2",     "0", ".5", "1.2.3", ".",  "PI",   "E",   "+",     "-",
        "*",     "/",      "^",     "%", "(",  ")",     "()", "SIN(", "LN(", "RAND(", "FOO(",
        "SIGN(", "COSEC(", "sqrt(", " ", "2X", ",",     "\t", "E3",   "X2",  "1/0",   "0/0"};
    std::uniform_int_distribution<int> len(0, 14);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
    std::string s;
    for (int i = len(rng); i > 0; --i)
        s += kPieces[pick(rng)];
    return s;
}

// Well-formed texts: operands, every operator, groups, calls of every
// built-in function and of unknown names, signs in every place.
inline std::string RandomWellFormed(std::mt19937& rng, int nDepth = 0)
{
    static const char* const kFunctions[] = {
        "COS",   "SIN", "TAN",  "ACOS", "ASIN", "ATAN", "COSH", "SINH", "TANH", "SEC", "COSEC",
        "COTAN", "ABS", "SQRT", "LN",   "LOG",  "EXP",  "RAND", "SIGN", "FOO",  "sin"};
    static const char* const kOperands[] = {"X",  "x",  "2",  "0", "0.5",   "10",    "3.25",
                                            ".5", "5.", "PI", "E", "1.2.3", "100000"};
    static const char kOperators[] = {'+', '-', '*', '/', '^', '%'};
    auto chance = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng) == 0; };
    auto pick = [&rng](std::size_t n)
    { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };

    std::string s;
    const int nTerms = 1 + static_cast<int>(pick(nDepth > 2 ? 2 : 4));
    for (int i = 0; i < nTerms; ++i)
    {
        if (i > 0)
            s += kOperators[pick(std::size(kOperators))];
        if (chance(4))
            s += chance(2) ? "-" : "+";
        if (nDepth < 4 && chance(3))
            s += std::string("(") + RandomWellFormed(rng, nDepth + 1) + ")";
        else if (nDepth < 4 && chance(3))
            s += std::string(kFunctions[pick(std::size(kFunctions))]) + "(" +
                 RandomWellFormed(rng, nDepth + 1) + ")";
        else
            s += kOperands[pick(std::size(kOperands))];
        if (chance(12))
            s += ' ';
    }
    return s;
}

inline std::string RandomBytes(std::mt19937& rng)
{
    std::uniform_int_distribution<int> len(0, 24);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(static_cast<std::size_t>(len(rng)), '\0');
    for (char& c : s)
        c = static_cast<char>(byte(rng));
    return s;
}
