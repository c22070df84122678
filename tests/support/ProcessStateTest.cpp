// What a case changes in the process is back as the program started when the
// next case begins.
#include <cfenv>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <locale>
#include <string>

#include "ProcessState.h"
#include "TestTempDir.h"
#include "core/expr/ExprEvaluator.h"

namespace
{

std::string Env(const char* pszName)
{
    const char* psz = std::getenv(pszName);
    return psz == nullptr ? "<unset>" : psz;
}

// The state a case can see, as one text.
std::string Snapshot()
{
    std::tm tm0{};
    const std::time_t t0 = 0;
    localtime_r(&t0, &tm0);
    return "rand=" + std::to_string(CRandomGenerator::GetState()) +
           " locale=" + std::setlocale(LC_ALL, nullptr) + " cpp=" + std::locale().name() +
           " TZ=" + Env("TZ") + " hour0=" + std::to_string(tm0.tm_hour) +
           " LC_NUMERIC=" + Env("LC_NUMERIC") + " variable=" + Env("TRACELO_TEST_VARIABLE") +
           " cwd=" + std::filesystem::current_path().string() +
           " round=" + std::to_string(std::fegetround());
}

TEST(ProcessState, WhatACaseChangesIsPutBack)
{
    if (std::setlocale(LC_ALL, "it_IT.UTF-8") == nullptr)
    {
        GTEST_SKIP() << "no it_IT.UTF-8 locale";
    }
    std::setlocale(LC_ALL, "C");
    ::setenv("TRACELO_TEST_VARIABLE", "1", 1);
    const CTestTempDir dir;
    struct
    {
        const char* pszWhat;
        std::function<void()> fnChange;
    } cases[] = {
        {"RAND drawn", [] { CRandomGenerator::Next(); }},
        {"RAND set", [] { CRandomGenerator::SetState(12345); }},
        {"C locale", [] { std::setlocale(LC_ALL, "it_IT.UTF-8"); }},
        {"one category", [] { std::setlocale(LC_NUMERIC, "it_IT.UTF-8"); }},
        {"C++ locale", [] { std::locale::global(std::locale("it_IT.UTF-8")); }},
        {"time zone",
         []
         {
             ::setenv("TZ", "Asia/Tokyo", 1);
             ::tzset();
         }},
        {"variable added", [] { ::setenv("LC_NUMERIC", "it_IT.UTF-8", 1); }},
        {"variable removed", [] { ::unsetenv("TRACELO_TEST_VARIABLE"); }},
        {"current folder", [&dir] { std::filesystem::current_path(dir.Path()); }},
        {"rounding", [] { std::fesetround(FE_UPWARD); }},
    };
    const CProcessState state;
    const std::string strStart = Snapshot();
    for (const auto& c : cases)
    {
        c.fnChange();
        EXPECT_NE(Snapshot(), strStart) << c.pszWhat;
        state.Restore();
        EXPECT_EQ(Snapshot(), strStart) << c.pszWhat;
    }
}

} // namespace
