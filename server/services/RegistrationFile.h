// The monthly registration file "Halvex-YYYY-MM.regQv": comma-separated text,
// one header line, one line per valid registration, flushed after each line.
#pragma once
#include <windows.h>
#include <stdio.h>
#include <string>

extern const char RegistrationFileHeader[]; // "Raw,MediaID,..."

// folder + "Halvex-" + "%Y-%m" of `when` + ".regQv"
std::string RegistrationFileName(const std::string& folder, const SYSTEMTIME& when);

// One file line without its line feed: raw, media id, the record's date-time,
// port and controller as "%03d", event code text, and `written` as
// "%Y-%m-%d %H:%M:%S".
std::string RegistrationLine(const std::string& raw, const std::string& mediaId, const std::string& dateTime,
                             int port, int id, const std::string& eventCode, const SYSTEMTIME& written);

class CRegistrationFile
{
public:
    CRegistrationFile() : m_pStream(nullptr) {}
    ~CRegistrationFile() { Close(); }

    // Creates the file when missing, never truncates, appends; others may
    // read it but not write it meanwhile. A new (empty) file gets the header.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_pStream != nullptr; }
    // Appends the line and a line feed (CR LF on disk) and flushes.
    void WriteLine(const std::string& line);
    void Close();

private:
    CRegistrationFile(const CRegistrationFile&) = delete;
    CRegistrationFile& operator=(const CRegistrationFile&) = delete;
    FILE* m_pStream;
};
