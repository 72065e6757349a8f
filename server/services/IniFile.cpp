#include "server/services/IniFile.h"
#include <stdio.h>
#include <vector>

int CIniFile::GetInt(const char* section, const char* key, int defaultValue) const
{
    return (int)GetPrivateProfileIntA(section, key, defaultValue, m_strPath.c_str());
}

bool CIniFile::GetBool(const char* section, const char* key, bool defaultValue) const
{
    return GetInt(section, key, defaultValue ? 1 : 0) == 1;
}

std::string CIniFile::GetString(const char* section, const char* key, const char* defaultValue) const
{
    // Grow until the value fits: the API truncates silently.
    for (DWORD size = 1024;; size *= 4) {
        std::vector<char> buffer(size);
        DWORD n = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(), size, m_strPath.c_str());
        if (n < size - 1 || size >= (1u << 22))
            return std::string(buffer.data(), n);
    }
}

bool CIniFile::WriteInt(const char* section, const char* key, int value) const
{
    char text[16];
    snprintf(text, sizeof(text), "%d", value);
    return WritePrivateProfileStringA(section, key, text, m_strPath.c_str()) != FALSE;
}

bool CIniFile::WriteBool(const char* section, const char* key, bool value) const
{
    return WriteInt(section, key, value ? 1 : 0);
}

bool CIniFile::WriteString(const char* section, const char* key, const std::string& value) const
{
    return WritePrivateProfileStringA(section, key, value.c_str(), m_strPath.c_str()) != FALSE;
}

bool CIniFile::EmptySection(const char* section) const
{
    static const char noKeys[2] = { 0, 0 };
    return WritePrivateProfileSectionA(section, noKeys, m_strPath.c_str()) != FALSE;
}

std::string ApplicationFolder()
{
    char path[2048] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path);
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}
