#include "server/services/BusServices.h"
#include "bus/VTMultiDrop.h"
#include "server/services/ServiceMessages.h"

using namespace VTMultiDrop;

namespace {

// The ring slot of an index (the bus posts slot numbers; masking keeps a
// stray index inside the ring).
const EventArgRegistration& Slot(int index)
{
    return g_Registrations[index & RegistrationRingMask];
}


} // namespace

void ToBuffered(const EventArgRegistration& r, BufferedRegistration& out)
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

bool CBusServices::ControllerExists(int port, int id)
{
    // A controller on a line that is down counts as not there: its frames are
    // answered with "ERR" instead of waiting for a line that nobody serves.
    bool lineUp = false;
    WithDevice(port, id, [&lineUp](Device& d) { lineUp = !d.GetCommPort()->IsLineDown(); });
    return lineUp;
}

void CBusServices::AddController(int port, int id, const std::string& name)
{
    // The frame's controller exists already (every frame is looked up
    // first), so the bus refuses the id as taken; the result is not answered.
    Device* device = nullptr;
    AddDevice(port, id, &device, name, true);
}

void CBusServices::QueueStatus(int port, int id)
{
    // Awaited: should the command end without its answer, the requester
    // hears "ERR" (WM_BUS_COMMAND_FAILED).
    WithDevice(port, id, [](Device& d) { d.QueueStatus(true); });
}

void CBusServices::QueueSetTime(int port, int id)
{
    QueueSetTimeOnBus(port, id);
}

void CBusServices::EraseStatus(int id)
{
    VTMultiDrop::EraseStatus(id);
}

void CBusServices::QueueReadEEPROM(int port, int id, int location)
{
    WithDevice(port, id, [location](Device& d) { d.QueueReadEEPROM((unsigned short)location, true); });
}

void CBusServices::QueueWriteEEPROM(int port, int id, int location, int value)
{
    WithDevice(port, id,
               [location, value](Device& d) {
                   d.QueueWriteEEPROM((unsigned short)location, (unsigned short)value, true);
               });
}

void CBusServices::RemoveController(int port, int id)
{
    // The view's tree and its shutdown use the controller: the view removes
    // it on the GUI thread.
    m_view.RemoveController(port, id);
}

void CBusServices::PostErrorReply(int port, int id)
{
    ::PostThreadMessageA(m_view.DispatcherThreadId(), WM_TCP_ERROR_REPLY, (WPARAM)port, (LPARAM)id);
}

bool CBusServices::ReadRegistration(int index, RegistrationRecord& record)
{
    const EventArgRegistration& r = Slot(index);
    ToBuffered(r, record);
    record.valid = r.m_Valid;
    return true;
}

bool CBusServices::ReadReg2Fields(int index, CommandProtocol::Reg2Fields& fields)
{
    const EventArgRegistration& r = Slot(index);
    fields.mediaId = r.m_MediaId;
    fields.day = r.m_Day;
    fields.month = r.m_Month;
    fields.year = r.m_Year;
    fields.hour = r.m_Hour;
    fields.minute = r.m_Minute;
    fields.eventCode = r.m_EventCode;
    fields.id = r.m_DeviceId;
    fields.port = r.m_Port;
    return true;
}

bool CBusServices::RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out)
{
    // The controller keeps the year modulo 4; decoded against the last moment
    // of the stored year, it resolves to that year, however long the row
    // waited in the buffer.
    if (year < 1601 || year > 30827)
        return false; // not a year any clock could have given
    SYSTEMTIME endOfYear = {};
    endOfYear.wYear = (WORD)year;
    endOfYear.wMonth = 12;
    endOfYear.wDay = 31;
    endOfYear.wHour = 23;
    endOfYear.wMinute = 59;
    endOfYear.wSecond = 59;
    EventArgRegistration r;
    r.Parse(port, id, raw ? raw : "", endOfYear);
    if (!r.m_Valid)
        return false;
    ToBuffered(r, out);
    return true;
}

StatusSnapshot CBusServices::CurrentStatus(int id)
{
    return StatusSnapshot{ GetStatusDateTime(id), GetStatusHead(id), GetStatusFirmware(id) };
}

unsigned CBusServices::TakeEEPROMWord(int id, int location)
{
    return VTMultiDrop::TakeEEPROMWord(id, location);
}

int QueueSetTimeOnBus(int port, int id)
{
    int result = BUS_DEVICE_DOESNT_EXIST;
    WithDevice(port, id, [&result](Device& d) { result = d.QueueSetTime(); });
    return result;
}
