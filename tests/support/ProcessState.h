// What one test case can leave behind for the next in the same process,
// taken as the program starts and put back before every case: the engine's
// RAND generator, the C and C++ locales, the environment (TZ, the locale
// variables), the current folder and the floating-point modes. With it the
// cases of a program run in one process, in any order.
#pragma once

#include <cfenv>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>

class CProcessState
{
public:
    // Takes the state as it is now: call it once every case would start from
    // it, after the application object has set its locale.
    CProcessState();

    void Restore() const;

private:
    std::uint32_t m_nRandState;
    std::string m_strLocale; // setlocale(LC_ALL, nullptr): all categories
    std::map<std::string, std::string> m_environment;
    std::filesystem::path m_currentPath;
    std::fenv_t m_fenv;
};

// Puts the state back before each case starts (before its fixture's SetUp).
class CProcessStateListener : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart(const ::testing::TestInfo&) override { m_state.Restore(); }

private:
    CProcessState m_state;
};
