#include "server/app/BusServiceBridge.h"
#include "bus/VTMultiDrop.h"
#include "server/services/ServiceMessages.h"

using namespace VTMultiDrop;

namespace {
const EventArgRegistration& Slot(int index)
{
    return g_Registrations[index & RegistrationRingMask];
}

void Fill(const EventArgRegistration& r, BufferedRegistration& out)
{
    out.port = r.m_Port;
    out.deviceId = r.m_DeviceId;
    out.rawData = r.m_RawData;
    out.day = r.m_Day;
    out.month = r.m_Month;
    out.year = r.m_Year;
    out.hour = r.m_Hour;
    out.minute = r.m_Minute;
    out.second = r.m_Second;
    out.dateText = r.m_DateText;
    out.timeText = r.m_TimeText;
    out.dateTimeText = r.m_DateTimeText;
    out.mediaId = r.m_MediaId;
    out.eventCodeText = r.m_EventCodeText;
    out.eventCode = r.m_EventCode;
}

int WithController(int port, int id, int (*use)(Device&, int, int), int a = 0, int b = 0)
{
    int result = BUS_DEVICE_DOESNT_EXIST;
    WithDevice(port, id, [&](Device& d) { result = use(d, a, b); });
    return result;
}
} // namespace

bool CVTServiceBus::ReadRegistration(int index, RegistrationRecord& record)
{
    if (index < 0)
        return false;
    const EventArgRegistration& r = Slot(index);
    record.port = r.m_Port;
    record.id = r.m_DeviceId;
    record.raw = r.m_RawData;
    record.mediaId = r.m_MediaId;
    record.dateTime = r.m_DateTimeText;
    record.eventCode = r.m_EventCodeText;
    record.valid = r.m_Valid;
    return true;
}

bool CVTServiceBus::ReadBufferedRegistration(int index, BufferedRegistration& record)
{
    if (index < 0)
        return false;
    Fill(Slot(index), record);
    return true;
}

bool CVTServiceBus::ReadReg2Fields(int index, CommandProtocol::Reg2Fields& f)
{
    if (index < 0)
        return false;
    const EventArgRegistration& r = Slot(index);
    f.mediaId = r.m_MediaId;
    f.day = r.m_Day;
    f.month = r.m_Month;
    f.year = r.m_Year;
    f.hour = r.m_Hour;
    f.minute = r.m_Minute;
    f.eventCode = r.m_EventCode;
    f.id = r.m_DeviceId;
    f.port = r.m_Port;
    return true;
}

bool CVTServiceBus::RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out)
{
    // The record's year is the stored one: decode as if at the end of it.
    SYSTEMTIME endOfYear = {};
    endOfYear.wYear = (WORD)year;
    endOfYear.wMonth = 12;
    endOfYear.wDay = 31;
    endOfYear.wHour = 23;
    endOfYear.wMinute = 59;
    endOfYear.wSecond = 59;
    EventArgRegistration r(port, id, "");
    r.Parse(port, id, raw ? raw : "", endOfYear);
    if (!r.m_Valid)
        return false;
    Fill(r, out);
    return true;
}

StatusSnapshot CVTServiceBus::CurrentStatus(int id)
{
    return { GetStatusDateTime(id), GetStatusHead(id), GetStatusFirmware(id) };
}

unsigned CVTServiceBus::TakeEEPROMWord(int id, int location)
{
    return VTMultiDrop::TakeEEPROMWord(id, location);
}

CHalvexCommandTarget::CHalvexCommandTarget() : m_dwDispatcherThreadId(0), m_treeWindow(NULL), m_removeMessage(0)
{
}

void CHalvexCommandTarget::SetTreeWindow(HWND window, UINT removeMessage)
{
    m_removeMessage = removeMessage;
    m_treeWindow = window;
}

bool CHalvexCommandTarget::ControllerExists(int port, int id)
{
    return WithDevice(port, id, [](Device&) {});
}

void CHalvexCommandTarget::AddController(int port, int id, const std::string& name)
{
    // Frames reach this only for a controller that exists, which the bus
    // refuses to add twice; the tree stays as it is.
}

void CHalvexCommandTarget::QueueStatus(int port, int id)
{
    WithController(port, id, [](Device& d, int, int) { return d.QueueStatus(); });
}

void CHalvexCommandTarget::QueueSetTime(int port, int id)
{
    QueueSetTimeOnController(port, id);
}

void CHalvexCommandTarget::EraseStatus(int id)
{
    VTMultiDrop::EraseStatus(id);
}

void CHalvexCommandTarget::QueueReadEEPROM(int port, int id, int location)
{
    WithController(port, id, [](Device& d, int loc, int) { return d.QueueReadEEPROM((unsigned short)loc); },
                   location);
}

void CHalvexCommandTarget::QueueWriteEEPROM(int port, int id, int location, int value)
{
    WithController(
        port, id,
        [](Device& d, int loc, int v) { return d.QueueWriteEEPROM((unsigned short)loc, (unsigned short)v); },
        location, value);
}

void CHalvexCommandTarget::RemoveController(int port, int id)
{
    HWND window = m_treeWindow;
    if (window != NULL)
        PostMessageA(window, m_removeMessage, (WPARAM)port, (LPARAM)id);
}

void CHalvexCommandTarget::PostErrorReply(int port, int id)
{
    PostThreadMessageA(m_dwDispatcherThreadId, WM_TCP_ERROR_REPLY, (WPARAM)port, (LPARAM)id);
}

int QueueSetTimeOnController(int port, int id)
{
    return WithController(port, id, [](Device& d, int, int) { return d.QueueSetTime(); });
}
