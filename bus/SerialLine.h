// The serial line under a port: the Win32 communications calls the port
// makes, behind one interface so that tests can script what a pty cannot show
// (parity and framing errors, a device that fails to reopen, failing
// SetCommState or DTR). The product uses Win32SerialLine.
#pragma once
#include "framework/handle.h"

#include <windows.h>

namespace VTMultiDrop {

class ISerialLine {
public:
    virtual ~ISerialLine() {}
    // Opens "\\.\COMn" for reading and writing, not shared.
    virtual bool Open(int portNumber) = 0;
    virtual bool IsOpen() const = 0;
    // Closes the device; afterwards the line is closed whatever the result.
    virtual bool Close() = 0;
    virtual bool GetState(DCB& dcb) = 0;
    virtual bool SetState(const DCB& dcb) = 0;
    virtual bool GetTimeouts(COMMTIMEOUTS& timeouts) = 0;
    virtual bool SetTimeouts(const COMMTIMEOUTS& timeouts) = 0;
    virtual bool Setup(DWORD inQueue, DWORD outQueue) = 0;
    virtual bool Purge(DWORD flags) = 0;
    virtual bool Escape(DWORD function) = 0;
    virtual bool Write(const void* bytes, DWORD count, DWORD& written) = 0;
    virtual bool Read(void* bytes, DWORD count, DWORD& read) = 0;
};

class Win32SerialLine : public ISerialLine {
public:
    Win32SerialLine();
    ~Win32SerialLine() override;
    Win32SerialLine(const Win32SerialLine&) = delete;
    Win32SerialLine& operator=(const Win32SerialLine&) = delete;

    bool Open(int portNumber) override;
    bool IsOpen() const override { return m_Handle.IsValid(); }
    bool Close() override;
    bool GetState(DCB& dcb) override;
    bool SetState(const DCB& dcb) override;
    bool GetTimeouts(COMMTIMEOUTS& timeouts) override;
    bool SetTimeouts(const COMMTIMEOUTS& timeouts) override;
    bool Setup(DWORD inQueue, DWORD outQueue) override;
    bool Purge(DWORD flags) override;
    bool Escape(DWORD function) override;
    bool Write(const void* bytes, DWORD count, DWORD& written) override;
    bool Read(void* bytes, DWORD count, DWORD& read) override;

private:
    bool SetStickParityAgain(const DCB& dcb);

    COwnedHandle m_Handle;
    DCB m_Written;      // the last state written successfully
    bool m_HasWritten;
};

}  // namespace VTMultiDrop
