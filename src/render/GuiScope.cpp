#include "render/GuiScope.h"

#include <QGuiApplication>

#include <cstdio>

namespace
{

// Only what stops the tool reaches its standard error; Qt's notes about the
// environment (no runtime folder, no display) would read as a failure.
void QuietMessageHandler(QtMsgType eType, const QMessageLogContext&, const QString& strMessage)
{
    if (eType == QtCriticalMsg || eType == QtFatalMsg)
    {
        std::fprintf(stderr, "%s\n", strMessage.toLocal8Bit().constData());
    }
}

} // namespace

CGuiScope::CGuiScope()
{
    if (QCoreApplication::instance() != nullptr)
    {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    m_pfnPreviousHandler = qInstallMessageHandler(&QuietMessageHandler);
    static int s_nArgc = 1;
    static char s_szName[] = "tracelo-export";
    static char* s_argv[] = {s_szName, nullptr};
    m_pApp = std::make_unique<QGuiApplication>(s_nArgc, s_argv);
}

CGuiScope::~CGuiScope()
{
    if (m_pApp != nullptr)
    {
        m_pApp.reset();
        qInstallMessageHandler(m_pfnPreviousHandler);
    }
}
