// tracelo-export runs without a window, but fonts and their metrics need a
// QGuiApplication: one is made for the time of an export when the program
// has none, on the offscreen platform unless the caller chose another.
#pragma once

#include <QtGlobal>

#include <memory>

class QGuiApplication;

class CGuiScope
{
public:
    CGuiScope();
    ~CGuiScope();
    CGuiScope(const CGuiScope&) = delete;
    CGuiScope& operator=(const CGuiScope&) = delete;

private:
    std::unique_ptr<QGuiApplication> m_pApp;
    QtMessageHandler m_pfnPreviousHandler = nullptr;
};
