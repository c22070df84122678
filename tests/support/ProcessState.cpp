#include "ProcessState.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <locale>
#include <unistd.h>
#include <vector>

#include "core/expr/ExprEvaluator.h"

extern char** environ;

namespace
{

std::map<std::string, std::string> ReadEnvironment()
{
    std::map<std::string, std::string> environment;
    for (char** pp = environ; *pp != nullptr; ++pp)
    {
        const std::string strEntry = *pp;
        const std::size_t nEq = strEntry.find('=');
        if (nEq != std::string::npos)
        {
            environment.emplace(strEntry.substr(0, nEq), strEntry.substr(nEq + 1));
        }
    }
    return environment;
}

} // namespace

CProcessState::CProcessState()
    : m_nRandState(CRandomGenerator::GetState()), m_strLocale(std::setlocale(LC_ALL, nullptr)),
      m_environment(ReadEnvironment()), m_currentPath(std::filesystem::current_path())
{
    std::fegetenv(&m_fenv);
}

void CProcessState::Restore() const
{
    CRandomGenerator::SetState(m_nRandState);

    const std::map<std::string, std::string> now = ReadEnvironment();
    for (const auto& [strName, strValue] : now)
    {
        if (m_environment.find(strName) == m_environment.end())
        {
            ::unsetenv(strName.c_str());
        }
    }
    for (const auto& [strName, strValue] : m_environment)
    {
        const auto it = now.find(strName);
        if (it == now.end() || it->second != strValue)
        {
            ::setenv(strName.c_str(), strValue.c_str(), 1);
        }
    }
    ::tzset();

    // The C++ global locale first: making it global sets the C locale too.
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, m_strLocale.c_str());

    std::error_code ec;
    std::filesystem::current_path(m_currentPath, ec);
    std::fesetenv(&m_fenv);
}
