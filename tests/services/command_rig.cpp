// A stand-in server for the wire test: the real command listener and reply
// dispatcher over a fake bus on which controller 5 of COM1 exists and answers
// at once. Prints "LISTENING <port>" when ready; ends when stdin closes.
#include "common/TcpSocket.h"
#include "server/services/CommandListener.h"
#include "server/services/ServiceBus.h"
#include "server/services/TH_TCPDispatcher.h"
#include "server/services/ServiceMessages.h"
#include <stdio.h>
#include <map>
#include <mutex>
#include <thread>

namespace {

DWORD g_dispatcherId = 0;
std::mutex g_wordsMutex;
std::map<std::pair<int, int>, unsigned> g_words;

struct FakeBus : ICommandTarget, IServiceBus {
    bool ControllerExists(int port, int id) override { return port == 1 && id == 5; }
    void AddController(int, int, const std::string&) override {}
    void QueueStatus(int port, int id) override
    {
        PushStatusSnapshot(id, { "2024-03-05 14:07:00", "AB", "101" });
        PostThreadMessageA(g_dispatcherId, WM_TCP_STATUS_REPLY, port, id);
    }
    void QueueSetTime(int, int) override {}
    void EraseStatus(int) override {}
    void QueueReadEEPROM(int, int id, int location) override
    {
        {
            std::lock_guard<std::mutex> l(g_wordsMutex);
            g_words[{ id, location }] = 0x1234;
        }
        PostThreadMessageA(g_dispatcherId, WM_TCP_READ_REPLY, id, location);
    }
    void QueueWriteEEPROM(int, int id, int location, int value) override
    {
        {
            std::lock_guard<std::mutex> l(g_wordsMutex);
            g_words[{ id, location }] = (unsigned)value;
        }
        PostThreadMessageA(g_dispatcherId, WM_TCP_WRITE_REPLY, id, location);
    }
    void RemoveController(int, int) override {}
    void PostErrorReply(int port, int id) override { PostThreadMessageA(g_dispatcherId, WM_TCP_ERROR_REPLY, port, id); }

    StatusSnapshot CurrentStatus(int) override { return {}; }
    unsigned TakeEEPROMWord(int id, int location) override
    {
        std::lock_guard<std::mutex> l(g_wordsMutex);
        auto it = g_words.find({ id, location });
        if (it == g_words.end())
            return 0xFFFF;
        unsigned w = it->second;
        g_words.erase(it);
        return w;
    }
    bool ReadRegistration(int, RegistrationRecord&) override { return false; }
    bool ReadReg2Fields(int, CommandProtocol::Reg2Fields&) override { return false; }
    bool RebuildRegistration(int, int, const char*, int, BufferedRegistration&) override { return false; }
};

} // namespace

int main()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    FakeBus bus;
    g_pServiceBus = &bus;
    // The real dispatcher thread, made the way the start of services makes it.
    CWinThread* dispatcher = AfxBeginThread(RUNTIME_CLASS(CTH_TCPDispatcher), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    HANDLE dispatcherHandle = NULL;
    DuplicateHandle(GetCurrentProcess(), dispatcher->m_hThread, GetCurrentProcess(), &dispatcherHandle, SYNCHRONIZE,
                    FALSE, 0);
    g_dispatcherId = dispatcher->m_nThreadID;
    dispatcher->m_bAutoDelete = TRUE;
    dispatcher->ResumeThread();
    CCommandListener listener;
    int result = -1;
    std::thread receiver([&] { result = listener.Run(0, bus); });
    HANDLE waitFor[1] = { listener.ListeningEvent() };
    if (WaitForMultipleObjects(1, waitFor, FALSE, 60000) != WAIT_OBJECT_0) {
        printf("NOT LISTENING\n");
        return 1;
    }
    printf("LISTENING %d\n", listener.BoundPort());
    fflush(stdout);
    char line[256];
    while (fgets(line, sizeof(line), stdin) != NULL) {
    }
    listener.Close();
    receiver.join();
    PostThreadMessageA(g_dispatcherId, WM_THREAD_STOP, 0, 0);
    WaitForSingleObject(dispatcherHandle, INFINITE);
    CloseHandle(dispatcherHandle);
    WSACleanup();
    printf("STOPPED %d\n", result);
    return result;
}
