// The single-instance guard across two real processes.
#include "server/services/SingleInstance.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string ProbePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.rfind('\\') + 1) + "instance_probe.exe";
}

// A name no other test or server in this prefix uses.
std::string UniqueName(const char* what)
{
    return std::string("HalvexGuardTest-") + what + "-" + std::to_string(GetCurrentProcessId());
}

struct Process {
    PROCESS_INFORMATION pi = {};
    bool Start(const std::string& arguments)
    {
        std::string command = "\"" + ProbePath() + "\" " + arguments;
        STARTUPINFOA si = { sizeof(si) };
        return CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi) != FALSE;
    }
    DWORD Wait()
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
        DWORD code = 999;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    ~Process()
    {
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(pi.hProcess, 99);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
};

// Waits for a probe's ready event, or for the probe to end early.
bool WaitReady(HANDLE ready, Process& p)
{
    HANDLE both[2] = { ready, p.pi.hProcess };
    return WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
}

TEST(SingleInstance, SecondStartRestoresTheRunningInstancesWindow)
{
    std::string name = UniqueName("running"), readyName = name + "-ready";
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, readyName.c_str());
    Process first;
    ASSERT_TRUE(first.Start("first " + name + " " + readyName));
    ASSERT_TRUE(WaitReady(ready, first)) << "first instance ended with " << first.Wait();

    // The published window, read the way a starting instance reads it.
    CSingleInstance guard(name.c_str());
    EXPECT_EQ("CSingleInstance_MMF_" + name, guard.MakeMappingName());
    ASSERT_TRUE(guard.PreviousInstanceRunning());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, guard.MakeMappingName().c_str());
    ASSERT_TRUE(mapping != NULL);
    DWORD* view = static_cast<DWORD*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4));
    HWND window = (HWND)(ULONG_PTR)*view;
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));

    Process second;
    ASSERT_TRUE(second.Start("second " + name));
    EXPECT_EQ(2u, second.Wait());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.Wait());
    CloseHandle(ready);
}

TEST(SingleInstance, SecondStartWhileFirstIsStartingEndsOnTheMutex)
{
    std::string name = UniqueName("starting"), readyName = name + "-ready", goName = name + "-go";
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, readyName.c_str());
    HANDLE go = CreateEventA(NULL, TRUE, FALSE, goName.c_str());
    Process first;
    ASSERT_TRUE(first.Start("hold " + name + " " + readyName + " " + goName));
    ASSERT_TRUE(WaitReady(ready, first)) << "holder ended with " << first.Wait();
    Process second;
    ASSERT_TRUE(second.Start("second " + name));
    EXPECT_EQ(3u, second.Wait());
    SetEvent(go);
    EXPECT_EQ(0u, first.Wait());
    CloseHandle(ready);
    CloseHandle(go);
}

// Starts released at one moment, round after round: each time exactly one
// of them holds the mutex, however their calls interleave.
TEST(SingleInstance, StartsThatMeetLetExactlyOneThrough)
{
    const int racers = 8, rounds = 4;
    for (int round = 0; round < rounds; ++round) {
        const std::string name = UniqueName(("race" + std::to_string(round)).c_str());
        const std::string goName = name + "-go", doneName = name + "-done";
        HANDLE go = CreateEventA(NULL, TRUE, FALSE, goName.c_str());
        HANDLE done = CreateEventA(NULL, TRUE, FALSE, doneName.c_str());
        std::vector<HANDLE> ready, tried;
        std::vector<Process> probes(racers);
        for (int i = 0; i < racers; ++i) {
            const std::string readyName = name + "-ready" + std::to_string(i);
            ready.push_back(CreateEventA(NULL, TRUE, FALSE, readyName.c_str()));
            tried.push_back(CreateEventA(NULL, TRUE, FALSE, (readyName + "-tried").c_str()));
            ASSERT_TRUE(probes[i].Start("race " + name + " " + readyName + " " + goName + " " + doneName));
        }
        for (int i = 0; i < racers; ++i)
            ASSERT_TRUE(WaitReady(ready[i], probes[i])) << "racer " << i << " ended with " << probes[i].Wait();
        SetEvent(go);
        // The winner keeps the mutex until every racer has tried.
        for (int i = 0; i < racers; ++i)
            EXPECT_TRUE(WaitReady(tried[i], probes[i])) << "racer " << i << " never tried";
        int through = 0;
        std::string codes;
        SetEvent(done);
        for (Process& p : probes) {
            const DWORD code = p.Wait();
            codes += std::to_string(code) + " ";
            through += code == 0;
        }
        EXPECT_EQ(1, through) << "round " << round << ", exit codes " << codes;
        for (HANDLE h : ready)
            CloseHandle(h);
        for (HANDLE h : tried)
            CloseHandle(h);
        CloseHandle(go);
        CloseHandle(done);
    }
}

TEST(SingleInstance, LoneStartProceeds)
{
    Process only;
    ASSERT_TRUE(only.Start("second " + UniqueName("alone")));
    EXPECT_EQ(0u, only.Wait());
}

TEST(SingleInstance, PublishedZeroOrDeadWindowActivatesNothing)
{
    std::string name = UniqueName("zero");
    CSingleInstance publisher(name.c_str());
    ASSERT_TRUE(publisher.PublishMainWindow(NULL));
    EXPECT_FALSE(publisher.PublishMainWindow(NULL)) << "published twice";
    CSingleInstance checker(name.c_str());
    ASSERT_TRUE(checker.PreviousInstanceRunning());
    EXPECT_TRUE(checker.ActivatePrevious() == NULL);
}

} // namespace
