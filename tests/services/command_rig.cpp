// A stand-in server for the wire test: the real command listener and reply
// dispatcher over a fake bus on which controller 5 of COM1 exists and answers
// at once. Prints "LISTENING <port>" when ready; ends when stdin closes.
#include "common/TcpSocket.h"
#include "server/services/CommandListener.h"
#include "server/services/ReplyDispatcher.h"
#include "server/services/ServiceMessages.h"
#include <stdio.h>
#include <map>
#include <mutex>
#include <thread>

namespace {

DWORD g_dispatcherId = 0;
std::mutex g_wordsMutex;
std::map<std::pair<int, int>, unsigned> g_words;

struct FakeBus : ICommandTarget, IAnswerSource {
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
    bool Registration(int, CommandProtocol::Reg2Fields&) override { return false; }
};

} // namespace

int main()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    FakeBus bus;
    HANDLE queueReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    std::thread dispatcher([&] {
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
        g_dispatcherId = GetCurrentThreadId();
        SetEvent(queueReady);
        CReplyDispatcherCore core(bus);
        while (GetMessageA(&msg, NULL, 0, 0) > 0) {
            int w = (int)msg.wParam, l = (int)msg.lParam;
            switch (msg.message) {
            case WM_TCP_STATUS_REPLY: core.OnStatusReply(w, l); break;
            case WM_TCP_READ_REPLY: core.OnReadReply(w, l); break;
            case WM_TCP_WRITE_REPLY: core.OnWriteReply(w, l); break;
            case WM_TCP_ERROR_REPLY: core.OnErrorReply(w, l); break;
            }
        }
    });
    WaitForSingleObject(queueReady, INFINITE);
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
    PostThreadMessageA(g_dispatcherId, WM_QUIT, 0, 0);
    dispatcher.join();
    WSACleanup();
    printf("STOPPED %d\n", result);
    return result;
}
