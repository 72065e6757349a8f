#pragma once
#include <string>

// A fresh, empty folder under the system's temp folder, removed with
// everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; } // with trailing backslash
    std::string File(const char* name) const { return m_path + name; }
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// The whole file as bytes (empty when it cannot be read), read and written
// with plain Win32 rather than the classes a test checks.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
