// One Windows ini file, read and written through the private-profile API.
#pragma once
#include <windows.h>
#include <string>

class CIniFile
{
public:
    explicit CIniFile(const std::string& path) : m_strPath(path) {}
    const std::string& Path() const { return m_strPath; }

    int GetInt(const char* section, const char* key, int defaultValue) const;
    // On exactly when the stored value is 1.
    bool GetBool(const char* section, const char* key, bool defaultValue) const;
    std::string GetString(const char* section, const char* key, const char* defaultValue) const;
    bool WriteInt(const char* section, const char* key, int value) const;
    bool WriteBool(const char* section, const char* key, bool value) const;
    bool WriteString(const char* section, const char* key, const std::string& value) const;
    // Removes every key of the section.
    bool EmptySection(const char* section) const;

private:
    std::string m_strPath;
};

// The folder of the program file with its trailing backslash; empty when the
// path has no backslash.
std::string ApplicationFolder();
