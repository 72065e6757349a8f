#include "bus/CommPort.h"

#include "bus/BusErrors.h"
#include "bus/EventArgs.h"

#include <cstdio>
#include <cstring>

namespace VTMultiDrop {

CommPort::CommPort(int portNumber, int readTimeout, ISerialLine* line)
    : m_ReadTimeout(readTimeout), m_PauseBetweenReads(1), m_Open(false), m_LineDown(false), m_LastReopen(0), m_PortNumber(portNumber), m_DCB(),
      m_Line(line ? line : new Win32SerialLine),
      m_DeviceGeneration(0)
{
    BuildFrame("SD", m_IdleFrame, sizeof m_IdleFrame, "");
}

CommPort::~CommPort()
{
    // The registry normally closed the port already.
    ClosePort();
    DeleteDevices();
}

int CommPort::OpenPort()
{
    if (m_Open || m_PollThread.GetHandle() || m_SelectThread.GetHandle())
        return BUS_PORT_ALREADY_OPENED;
    const int result = OpenLine();
    if (result != BUS_OK)
        return result;
    m_LineDown = false;
    m_Open = true;
    StartThreads();
    return BUS_OK;
}

int CommPort::OpenLine()
{
    if (!m_Line->Open(m_PortNumber))
        return BUS_UNABLE_TO_OPEN;
    const int result = ConfigureLine();
    if (result != BUS_OK)
        m_Line->Close();
    return result;
}

// The line settings of an open port: 9600 baud 8 bits mark parity, time-outs, queues,
// purge, DTR.
int CommPort::ConfigureLine()
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!m_Line->GetState(dcb))
        return BUS_GETCOMMSTATE;
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = MARKPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fNull = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!m_Line->SetState(dcb))
        return BUS_SETCOMMSTATE;
    m_DCB = dcb;

    COMMTIMEOUTS timeouts = {};
    if (!m_Line->GetTimeouts(timeouts))
        return BUS_GETCOMMTIMEOUTS;
    // A read returns at once with what is buffered, or waits up to the read
    // time-out for the first byte.
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(m_ReadTimeout);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!m_Line->SetTimeouts(timeouts))
        return BUS_SETCOMMTIMEOUTS;
    if (!m_Line->Setup(4000, 2000))
        return BUS_SETUPCOMM;
    if (!m_Line->Purge(PURGE_TXCLEAR | PURGE_RXCLEAR))
        return BUS_PURGECOMM;
    if (!m_Line->Escape(SETDTR))
        return BUS_ESCAPECOMMFUNCTION;
    return BUS_OK;
}

int CommPort::ClosePort()
{
    const bool threads = m_PollThread.GetHandle() || m_SelectThread.GetHandle();
    if (!m_Open && !threads && !m_Line->IsOpen())
        return BUS_PORT_ALREADY_CLOSED;
    StopThreads();
    m_Open = false;
    return m_Line->Close() ? BUS_OK : BUS_UNABLE_TO_CLOSE;
}

int CommPort::ReopenPort()
{
    if (m_LineDown || !m_Line->IsOpen())
        return BUS_OK;
    m_Line->Close();
    const int result = OpenLine();
    if (result != BUS_OK) {
        // Down (an unplugged adapter): the threads go on serving the port,
        // its controllers fail as silent ones do, and the select thread
        // tries again in a second.
        m_LineDown = true;
        m_LastReopen = GetTickCount();
    }
    return result;
}

void CommPort::RetryReopen()
{
    if (!m_LineDown || GetTickCount() - m_LastReopen < static_cast<DWORD>(g_ReopenIntervalMs))
        return;
    m_LastReopen = GetTickCount();
    if (OpenLine() != BUS_OK)
        return;
    m_LineDown = false;
    ReviveDevices();
}

void CommPort::ReviveDevices()
{
    // An offline controller gets no idle request: with a fresh count it gets
    // them again, and its first answer reports it responding. Its shown state
    // stays until then.
    for (auto& entry : m_Devices) {
        Device* device = entry.second;
        const int state = device->GetState();
        if (state == DEVICE_FAILING || state == DEVICE_OFFLINE) {
            device->SetFailureCounter(0);
            device->SetState(DEVICE_FAILING);
        }
    }
}

int CommPort::SetParity(BYTE parity)
{
    m_DCB.Parity = parity;
    if (!m_Line->SetState(m_DCB))
        return BUS_SETCOMMSTATE;
    if (!m_Line->Escape(SETDTR))
        return BUS_ESCAPECOMMFUNCTION;
    return BUS_OK;
}

int CommPort::SelectAddress(int deviceId)
{
    if (m_LineDown)
        return BUS_UNABLE_TO_OPEN;  // nothing to write to until the line is back
    // 9-bit addressing: the address byte goes out with a parity bit of 1
    // (mark), everything else with 0 (space). Written by count: an address
    // byte is never mistaken for the end of a string.
    const unsigned char address[2] = {static_cast<unsigned char>(deviceId & 0xFF),
                                      static_cast<unsigned char>(deviceId & 0xFF)};
    m_Line->Purge(PURGE_TXCLEAR | PURGE_RXCLEAR);
    int result = SetParity(MARKPARITY);
    if (result == BUS_OK) {
        m_Line->Purge(PURGE_TXCLEAR);
        result = WriteEchoed(address, sizeof address);
    }
    const int space = SetParity(SPACEPARITY);
    if (space != BUS_OK)
        result = space;
    m_Line->Purge(PURGE_TXCLEAR);
    if (result != BUS_OK && m_Open)
        ReopenPort();
    return result;
}

int CommPort::WriteEchoed(const char* bytes)
{
    return WriteEchoed(reinterpret_cast<const unsigned char*>(bytes), bytes ? std::strlen(bytes) : 0);
}

int CommPort::WriteEchoed(const unsigned char* bytes, size_t count)
{
    if (count == 0)
        return BUS_OK;
    // The two-wire line returns every byte written; only its arrival counts.
    unsigned char echo[FrameBufferSize + 1];
    if (count > FrameBufferSize)
        return BUS_RXSTR;
    int result = BUS_RXSTR;
    for (size_t attempt = 0; attempt < count; ++attempt) {
        m_Line->Purge(PURGE_TXCLEAR);
        DWORD written = 0;
        m_Line->Write(bytes, static_cast<DWORD>(count), written);
        result = ReadExact(echo, static_cast<int>(count));
        if (result == BUS_OK)
            return BUS_OK;
    }
    return result;
}

// Every read attempt that does not complete is followed by the pause between
// reads, so a wait gives up after the same attempts and time as one that
// pauses before each read, while bytes already there are taken at once.
int CommPort::WaitForSOH()
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        unsigned char byte = 0;
        DWORD read = 0;
        if (m_Line->Read(&byte, 1, read) && read == 1 && byte == SOH)
            return BUS_OK;
        Sleep(m_PauseBetweenReads);
    }
    return BUS_NO_SOH;
}

int CommPort::ReadExact(unsigned char* buffer, int count)
{
    if (count <= 0) {
        if (buffer)
            buffer[0] = 0;
        return BUS_OK;
    }
    int received = 0;
    for (int attempt = 0; attempt < 30 && received < count; ++attempt) {
        DWORD read = 0;
        if (!m_Line->Read(buffer + received, static_cast<DWORD>(count - received), read))
            read = 0;
        if (read > static_cast<DWORD>(count - received))
            read = static_cast<DWORD>(count - received);
        received += static_cast<int>(read);
        if (received < count)
            Sleep(m_PauseBetweenReads);
    }
    buffer[received] = 0;
    return received == count ? BUS_OK : BUS_RXSTR;
}

int CommPort::SendCommand(int deviceId, const char* frame)
{
    int result = SelectAddress(deviceId);
    if (result != BUS_OK)
        return result;
    if ((result = WriteEchoed(frame)) != BUS_OK)
        return result;
    if ((result = WaitForSOH()) != BUS_OK)
        return result;
    unsigned char answer[8];
    if ((result = ReadExact(answer, 3)) != BUS_OK)
        return result;
    if (answer[2] == NAK && (result = ReadExact(answer + 3, 2)) != BUS_OK)
        return result;
    return ReadExact(answer, 1);
}

int CommPort::ReadReply(int deviceId, char* buffer)
{
    buffer[0] = 0;
    int result = SelectAddress(deviceId);
    if (result != BUS_OK)
        return result;
    const unsigned char poll = EOT;
    if ((result = WriteEchoed(&poll, 1)) != BUS_OK)
        return result;
    if ((result = WaitForSOH()) != BUS_OK)
        return result;
    unsigned char head[8];
    if ((result = ReadExact(head, 5)) != BUS_OK)
        return result;
    int length = 0;
    if (!ParseHexField(std::string(reinterpret_cast<char*>(head), 2), 0, 2, length))
        return BUS_INVALID_DATA_LEN;
    unsigned char* payload = reinterpret_cast<unsigned char*>(buffer);
    if ((result = ReadExact(payload, length)) != BUS_OK) {
        buffer[0] = 0;
        return result;
    }
    unsigned char trailer[8];
    if ((result = ReadExact(trailer, 6)) != BUS_OK) {
        buffer[0] = 0;
        return result;
    }
    return BUS_OK;
}

int CommPort::PollDevice(int deviceId, char* buffer)
{
    const int result = ReadReply(deviceId, buffer);
    if (result != BUS_OK)
        return result;
    return SendAck(deviceId);
}

int CommPort::SendAck(int deviceId)
{
    const int result = SelectAddress(deviceId);
    if (result != BUS_OK)
        return result;
    const unsigned char ack[2] = {ACK, EOT};
    return WriteEchoed(ack, sizeof ack);
}

int CommPort::AddDevice(int deviceId, Device** device, bool online, const std::string& name)
{
    if (device)
        *device = nullptr;
    // The bus address is one byte and 0 addresses nobody.
    if (deviceId < 1 || deviceId > 255)
        return BUS_DEVICE_DOESNT_EXIST;
    CSingleLock lock(&m_Lock, TRUE);
    if (m_Devices.count(deviceId))
        return BUS_DEVICE_EXISTS;
    Device* created = new Device(this, deviceId, online, name);
    created->SetState(DEVICE_NEW);
    created->SetFailureCounter(0);
    m_Devices[deviceId] = created;
    ++m_DeviceGeneration;
    if (device)
        *device = created;
    return BUS_OK;
}

int CommPort::DetachDevice(Device* device)
{
    CSingleLock lock(&m_Lock, TRUE);
    if (device == nullptr)
        return BUS_DEVICE_DOESNT_EXIST;
    auto it = m_Devices.find(device->GetDeviceId());
    if (it == m_Devices.end() || it->second != device)
        return BUS_DEVICE_DOESNT_EXIST;
    // Requesters waiting for one of its commands hear that none will come.
    while (Command* command = device->GetFirstCommand())
        DropCommand(device, command);
    m_Devices.erase(it);
    ++m_DeviceGeneration;
    delete device;
    return BUS_OK;
}

void CommPort::DeleteDevices()
{
    CSingleLock lock(&m_Lock, TRUE);
    for (auto& entry : m_Devices)
        delete entry.second;
    m_Devices.clear();
    ++m_DeviceGeneration;
}

Device* CommPort::FindDevice(int deviceId)
{
    // Exact: an id outside 1..255 is no controller, never the one whose
    // address byte it shares.
    CSingleLock lock(&m_Lock, TRUE);
    auto it = m_Devices.find(deviceId);
    return it == m_Devices.end() ? nullptr : it->second;
}

bool CommPort::HasPendingCommand()
{
    for (auto& entry : m_Devices)
        if (entry.second->GetFirstCommand() != nullptr)
            return true;
    return false;
}

}  // namespace VTMultiDrop
