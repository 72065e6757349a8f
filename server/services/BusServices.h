// The service threads' view of the controller bus, over VTMultiDrop: what
// TCP frames may ask of it (ICommandTarget) and what the consumer, the
// dispatcher and the database thread read from it (IServiceBus). Controllers
// are always named by (port, id) and found at the moment of use, so no
// service thread holds a controller that another thread may remove.
#pragma once
#include "server/services/CommandParser.h"
#include "server/services/HalvexViewServices.h"
#include "server/services/ServiceBus.h"

namespace VTMultiDrop {
class EventArgRegistration;
}
struct BufferedRegistration;

// The plain values of a bus registration, for the database statements.
void ToBuffered(const VTMultiDrop::EventArgRegistration& r, BufferedRegistration& out);

class CBusServices : public ICommandTarget, public IServiceBus
{
public:
    // `view` gives the dispatcher's thread id and carries out removals.
    explicit CBusServices(IHalvexView& view) : m_view(view) {}

    // ICommandTarget
    bool ControllerExists(int port, int id) override;
    void AddController(int port, int id, const std::string& name) override;
    void QueueStatus(int port, int id) override;
    void QueueSetTime(int port, int id) override;
    void EraseStatus(int id) override;
    void QueueReadEEPROM(int port, int id, int location) override;
    void QueueWriteEEPROM(int port, int id, int location, int value) override;
    void RemoveController(int port, int id) override;
    void PostErrorReply(int port, int id) override;

    // IServiceBus
    bool ReadRegistration(int index, RegistrationRecord& record) override;
    bool ReadReg2Fields(int index, CommandProtocol::Reg2Fields& fields) override;
    bool RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out) override;
    StatusSnapshot CurrentStatus(int id) override;
    unsigned TakeEEPROMWord(int id, int location) override;

private:
    CBusServices(const CBusServices&) = delete;
    CBusServices& operator=(const CBusServices&) = delete;
    IHalvexView& m_view;
};

// Queues a set-time on controller (port, id) if it still exists: the bus error
// code, 0 on success (the set-time worker's QueueSetTimeFn).
int QueueSetTimeOnBus(int port, int id);
