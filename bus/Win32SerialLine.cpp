#include "bus/SerialLine.h"

#include <cstdio>
#include <cstring>

namespace VTMultiDrop {

Win32SerialLine::Win32SerialLine() : m_Written(), m_HasWritten(false) {}

Win32SerialLine::~Win32SerialLine()
{
    Close();
}

bool Win32SerialLine::Open(int portNumber)
{
    Close();
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", portNumber);
    m_Handle.Attach(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    m_HasWritten = false;
    return m_Handle.IsValid();
}

bool Win32SerialLine::Close()
{
    if (!m_Handle.IsValid())
        return true;
    const bool closed = m_Handle.Close() != 0;
    m_HasWritten = false;
    return closed;
}

bool Win32SerialLine::GetState(DCB& dcb)
{
    dcb.DCBlength = sizeof dcb;
    return GetCommState(m_Handle, &dcb) != 0;
}

bool Win32SerialLine::SetState(const DCB& dcb)
{
    // Every address selection switches mark and space parity; a state equal
    // to the one in force needs no write (some drivers refuse to set the
    // stick parity that is already set).
    if (m_HasWritten && std::memcmp(&dcb, &m_Written, sizeof dcb) == 0)
        return true;
    DCB copy = dcb;
    if (!SetCommState(m_Handle, &copy) && !SetStickParityAgain(dcb))
        return false;
    m_Written = dcb;
    m_HasWritten = true;
    return true;
}

// A driver that refuses to set the stick parity already in force (a line
// keeps its parity from before the last close, so the first setting after an
// open may repeat it) takes it after a switch to the other stick parity.
bool Win32SerialLine::SetStickParityAgain(const DCB& dcb)
{
    if (GetLastError() != ERROR_INVALID_PARAMETER || (dcb.Parity != MARKPARITY && dcb.Parity != SPACEPARITY))
        return false;
    DCB other = dcb;
    other.Parity = dcb.Parity == MARKPARITY ? SPACEPARITY : MARKPARITY;
    DCB copy = dcb;
    return SetCommState(m_Handle, &other) && SetCommState(m_Handle, &copy);
}

bool Win32SerialLine::GetTimeouts(COMMTIMEOUTS& timeouts)
{
    return GetCommTimeouts(m_Handle, &timeouts) != 0;
}

bool Win32SerialLine::SetTimeouts(const COMMTIMEOUTS& timeouts)
{
    COMMTIMEOUTS copy = timeouts;
    return SetCommTimeouts(m_Handle, &copy) != 0;
}

bool Win32SerialLine::Setup(DWORD inQueue, DWORD outQueue)
{
    return SetupComm(m_Handle, inQueue, outQueue) != 0;
}

bool Win32SerialLine::Purge(DWORD flags)
{
    return PurgeComm(m_Handle, flags) != 0;
}

bool Win32SerialLine::Escape(DWORD function)
{
    return EscapeCommFunction(m_Handle, function) != 0;
}

bool Win32SerialLine::Write(const void* bytes, DWORD count, DWORD& written)
{
    written = 0;
    return WriteFile(m_Handle, bytes, count, &written, nullptr) != 0;
}

bool Win32SerialLine::Read(void* bytes, DWORD count, DWORD& read)
{
    read = 0;
    return ReadFile(m_Handle, bytes, count, &read, nullptr) != 0;
}

}  // namespace VTMultiDrop
