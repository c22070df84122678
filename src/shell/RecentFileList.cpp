#include "shell/RecentFileList.h"

#include <algorithm>
#include <cstdio>

#include <QSettings>
#include <QString>
#include <QVariant>

namespace
{

bool IsSeparator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// Characters are counted as the user sees them, not as UTF-8 bytes.
int Length(const std::string& str)
{
    return static_cast<int>(QString::fromStdString(str).size());
}

} // namespace

std::string AbbreviatePath(const std::string& strPath, int nMaxLength, bool bAtLeastName)
{
    if (Length(strPath) <= nMaxLength)
    {
        return strPath;
    }
    // The root: "/" on this platform, "C:\" or "\\server\share\" on Windows.
    std::size_t nRootEnd = 0;
    while (nRootEnd < strPath.size() && IsSeparator(strPath[nRootEnd]))
    {
        ++nRootEnd;
    }
#ifdef _WIN32
    if (nRootEnd == 0 && strPath.size() >= 2 && strPath[1] == ':')
    {
        nRootEnd = 2;
        while (nRootEnd < strPath.size() && IsSeparator(strPath[nRootEnd]))
        {
            ++nRootEnd;
        }
    }
#endif
    const std::string strRoot = strPath.substr(0, nRootEnd);

    // Component boundaries after the root, from the last one backwards.
    std::size_t nNameStart = strPath.size();
    while (nNameStart > nRootEnd && !IsSeparator(strPath[nNameStart - 1]))
    {
        --nNameStart;
    }
    const std::string strName = strPath.substr(nNameStart);
    const char chSep = nNameStart > 0 ? strPath[nNameStart - 1] : '/';
    const std::string strEllipsis = std::string("...") + chSep;

    std::string strBest;
    std::size_t nTailStart = nNameStart;
    while (true)
    {
        const std::string strCandidate = strRoot + strEllipsis + strPath.substr(nTailStart);
        if (Length(strCandidate) > nMaxLength)
        {
            break;
        }
        strBest = strCandidate;
        // Take in one more folder.
        if (nTailStart <= nRootEnd + 1)
        {
            break;
        }
        std::size_t n = nTailStart - 1; // the separator before the tail
        while (n > nRootEnd && !IsSeparator(strPath[n - 1]))
        {
            --n;
        }
        if (n <= nRootEnd)
        {
            break; // the whole path would be back: it is too long already
        }
        nTailStart = n;
    }
    if (!strBest.empty())
    {
        return strBest;
    }
    return bAtLeastName ? strName : std::string();
}

std::string EscapeMnemonics(const std::string& str)
{
    std::string strOut;
    strOut.reserve(str.size());
    for (char c : str)
    {
        if (c == '&')
        {
            strOut += '&';
        }
        strOut += c;
    }
    return strOut;
}

CRecentFileList::CRecentFileList(const char* pszSection, const char* pszEntryFormat, int nSize,
                                 int nMaxDisplayLength)
    : m_strSection(pszSection), m_strEntryFormat(pszEntryFormat), m_nSize(std::max(nSize, 0)),
      m_nMaxDisplayLength(nMaxDisplayLength)
{
}

void CRecentFileList::Add(const std::string& strPath)
{
    if (strPath.empty() || m_nSize == 0)
    {
        return;
    }
    auto it = std::find_if(m_vPaths.begin(), m_vPaths.end(),
                           [&](const std::string& s) { return SamePath(s, strPath); });
    if (it != m_vPaths.end())
    {
        m_vPaths.erase(it);
    }
    m_vPaths.insert(m_vPaths.begin(), strPath);
    if (static_cast<int>(m_vPaths.size()) > m_nSize)
    {
        m_vPaths.resize(m_nSize);
    }
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex >= 0 && nIndex < GetCount())
    {
        m_vPaths.erase(m_vPaths.begin() + nIndex);
    }
}

std::string CRecentFileList::GetDisplayName(int nIndex, const std::string& strCurrentDir) const
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        return {};
    }
    const std::string& strPath = m_vPaths[nIndex];
    std::size_t nNameStart = strPath.size();
    while (nNameStart > 0 && !IsSeparator(strPath[nNameStart - 1]))
    {
        --nNameStart;
    }
    if (!strCurrentDir.empty() && nNameStart > 0)
    {
        std::string strDir = strPath.substr(0, nNameStart - 1);
        std::string strCur = strCurrentDir;
        while (strCur.size() > 1 && IsSeparator(strCur.back()))
        {
            strCur.pop_back();
        }
        if (strDir.empty())
        {
            strDir = strPath.substr(0, 1); // a file in the root folder
        }
        if (SamePath(strDir, strCur))
        {
            return strPath.substr(nNameStart);
        }
    }
    return AbbreviatePath(strPath, m_nMaxDisplayLength, true);
}

void CRecentFileList::ReadList(QSettings& settings)
{
    m_vPaths.clear();
    settings.beginGroup(QString::fromStdString(m_strSection));
    for (int i = 0; i < m_nSize; ++i)
    {
        char szEntry[64];
        std::snprintf(szEntry, sizeof szEntry, m_strEntryFormat.c_str(), i + 1);
        const QVariant value = settings.value(QString::fromUtf8(szEntry));
        const std::string strPath = value.typeId() == QMetaType::QByteArray
                                        ? value.toByteArray().toStdString()
                                        : value.toString().toStdString();
        if (!strPath.empty())
        {
            m_vPaths.push_back(strPath);
        }
    }
    settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const
{
    const QString strSection = QString::fromStdString(m_strSection);
    settings.remove(strSection);
    settings.beginGroup(strSection);
    for (int i = 0; i < GetCount(); ++i)
    {
        char szEntry[64];
        std::snprintf(szEntry, sizeof szEntry, m_strEntryFormat.c_str(), i + 1);
        // A name that is not UTF-8 is kept as its bytes, so that it opens
        // again; any other as text, as the list has always been kept.
        const std::string& strPath = m_vPaths[i];
        const QString strText = QString::fromStdString(strPath);
        settings.setValue(QString::fromUtf8(szEntry),
                          strText.toStdString() == strPath
                              ? QVariant(strText)
                              : QVariant(QByteArray::fromStdString(strPath)));
    }
    settings.endGroup();
}

bool SamePath(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}
