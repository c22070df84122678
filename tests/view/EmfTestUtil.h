// Shared by the metafile tests: a Qt application for the font metrics, a
// reference screen with round numbers, and reading a recording back.
#pragma once

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "EmfReader.h"
#include "view/EmfDevice.h"

namespace emftest
{

// The application lives from before the first test to after the last, and
// is destroyed while Qt's own globals still exist (not at static
// destruction, where its destructor would find them gone).
class CQtEnvironment : public ::testing::Environment
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
    char m_szName[16] = "view_emf_test";
    char* m_argv[2] = {m_szName, nullptr};
    std::unique_ptr<QGuiApplication> m_pApp;
};

inline ::testing::Environment* const g_pQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

inline void EnsureApplication()
{
    ASSERT_NE(QGuiApplication::instance(), nullptr);
}

// 1000 by 800 pixels on 250 by 200 mm: a quarter of a millimetre, 25
// hundredths, per pixel.
inline CEmfReference TestReference()
{
    CEmfReference reference;
    reference.m_sizePixels = CDevSize{1000, 800};
    reference.m_sizeMillimeters = CDevSize{250, 200};
    return reference;
}

// Parses the bytes, failing the test when they do not make a metafile.
inline emf::CFile Parse(const std::vector<std::uint8_t>& vBytes)
{
    emf::CFile file;
    const std::string strError = file.Parse(vBytes);
    EXPECT_EQ(strError, "");
    return file;
}

} // namespace emftest
