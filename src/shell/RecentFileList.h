// The list of recently used files: full paths, newest first, a fixed number
// of entries, kept in one section of the per-user settings and shown in the
// File menu abbreviated to a maximum length.
#pragma once

#include <string>
#include <vector>

class QSettings;

class CRecentFileList
{
public:
    // pszSection and pszEntryFormat ("File%d", numbered from 1) name where
    // the list is kept; nSize entries at most.
    CRecentFileList(const char* pszSection, const char* pszEntryFormat, int nSize,
                    int nMaxDisplayLength);

    // Puts strPath first; an entry for the same file moves up instead of
    // appearing twice; the oldest entry falls off a full list.
    void Add(const std::string& strPath);
    void Remove(int nIndex);

    int GetCount() const { return static_cast<int>(m_vPaths.size()); }
    bool IsEmpty() const { return m_vPaths.empty(); }
    const std::string& operator[](int nIndex) const { return m_vPaths[nIndex]; }

    // The name shown in the menu: the bare file name when the file is in
    // strCurrentDir, otherwise the path abbreviated to the maximum length.
    std::string GetDisplayName(int nIndex, const std::string& strCurrentDir) const;

    void ReadList(QSettings& settings);
    void WriteList(QSettings& settings) const;

private:
    std::string m_strSection;
    std::string m_strEntryFormat;
    int m_nSize;
    int m_nMaxDisplayLength;
    std::vector<std::string> m_vPaths;
};

// Shortens a path to at most nMaxLength characters by replacing folders after
// the root with "...": "/home/anna/grafici/lavoro/seno" becomes
// "/.../lavoro/seno" for 20. When even the root, "..." and the file name do
// not fit, the file name alone is returned if bAtLeastName, else "".
std::string AbbreviatePath(const std::string& strPath, int nMaxLength, bool bAtLeastName);

// A menu item's text for a file name: '&' doubled so it shows as itself.
std::string EscapeMnemonics(const std::string& str);

// Whether two full paths name the same file as the platform compares names
// (without case on Windows).
bool SamePath(const std::string& a, const std::string& b);
