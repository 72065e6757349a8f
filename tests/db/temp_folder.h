#pragma once
#include <string>

// A fresh, empty folder under the system's temp folder, removed with its
// files when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return m_path; } // with trailing backslash
    std::string File(const char* name) const { return m_path + name; }

private:
    std::string m_path;
};
