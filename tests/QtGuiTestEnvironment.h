// One QGuiApplication for a test program (fonts and their metrics need it),
// made before the first test and destroyed after the last while Qt's own
// globals still exist: not at static destruction, where its destructor would
// find them gone.
#pragma once

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <memory>

class CQtGuiTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (QGuiApplication::instance() == nullptr)
        {
            m_pApp = std::make_unique<QGuiApplication>(m_nArgc, m_argv);
        }
    }
    void TearDown() override { m_pApp.reset(); }

private:
    int m_nArgc = 1;
    char m_szName[8] = "tracelo";
    char* m_argv[2] = {m_szName, nullptr};
    std::unique_ptr<QGuiApplication> m_pApp;
};

inline ::testing::Environment* const g_pQtGuiTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtGuiTestEnvironment);
