// Shared by the metafile tests: the Qt application the test main makes for
// the font metrics, a reference screen with round numbers, and reading a
// recording back.
#pragma once

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "EmfReader.h"
#include "render/EmfDevice.h"

namespace emftest
{

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
