#include "server/services/RegistrationFile.h"
#include "framework/handle.h"
#include <fcntl.h>
#include <io.h>

const char RegistrationFileHeader[] = "Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL";

std::string RegistrationFileName(const std::string& folder, const SYSTEMTIME& when)
{
    char name[32];
    snprintf(name, sizeof(name), "Halvex-%04d-%02d.regQv", when.wYear, when.wMonth);
    return folder + name;
}

std::string RegistrationLine(const std::string& raw, const std::string& mediaId, const std::string& dateTime,
                             int port, int id, const std::string& eventCode, const SYSTEMTIME& w)
{
    char written[32];
    snprintf(written, sizeof(written), "%04d-%02d-%02d %02d:%02d:%02d", w.wYear, w.wMonth, w.wDay, w.wHour,
             w.wMinute, w.wSecond);
    char numbers[32];
    snprintf(numbers, sizeof(numbers), ",%03d,%03d,", port, id);
    return raw + "," + mediaId + "," + dateTime + numbers + eventCode + "," + written;
}

bool CRegistrationFile::Open(const std::string& path)
{
    Close();
    COwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    int fd = _open_osfhandle((intptr_t)file.Get(), _O_APPEND | _O_TEXT | _O_WRONLY);
    if (fd < 0)
        return false;
    file.Detach(); // the descriptor owns it now
    m_pStream = _fdopen(fd, "a");
    if (m_pStream == nullptr) {
        _close(fd);
        return false;
    }
    fseek(m_pStream, 0, SEEK_END);
    if (ftell(m_pStream) == 0) {
        fprintf(m_pStream, "%s\n", RegistrationFileHeader);
        fflush(m_pStream);
    }
    return true;
}

void CRegistrationFile::WriteLine(const std::string& line)
{
    if (m_pStream == nullptr)
        return;
    fprintf(m_pStream, "%s\n", line.c_str());
    fflush(m_pStream);
}

void CRegistrationFile::Close()
{
    if (m_pStream != nullptr) {
        fclose(m_pStream);
        m_pStream = nullptr;
    }
}
