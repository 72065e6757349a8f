// The sample program run by its scripted driver: every check of the script
// passes, the saved files match, the screenshot exists and the program ends
// with exit code 0 when its frame closes.
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/"));
}

struct SampleResult {
    DWORD exitCode = 0xFFFFFFFF;
    bool ended = false;
    std::vector<std::string> lines;
};

SampleResult RunSample(const std::string& folder) {
    SampleResult run;
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA((folder + "\\report.txt").c_str());
    std::string cmd = "\"" + ProgramFolder() + "\\fwsample.exe\" /drive \"" + folder + "\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
    run.ended = WaitForSingleObject(pi.hProcess, 180000) == WAIT_OBJECT_0;
    if (!run.ended) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream in(folder + "\\report.txt");
    for (std::string line; std::getline(in, line);) run.lines.push_back(line);
    return run;
}

const SampleResult& SampleRun() {
    static SampleResult run = RunSample(ProgramFolder() + "\\fwsample-run");
    return run;
}

TEST(SampleProgram, EveryScriptedCheckPasses) {
    const SampleResult& run = SampleRun();
    std::set<std::string> passed;
    for (const std::string& line : run.lines) {
        std::cout << line << "\n";
        EXPECT_NE(line.rfind("FAIL", 0), 0u) << line;
        if (line.rfind("PASS ", 0) == 0) passed.insert(line.substr(5, line.find(':') == std::string::npos
                                                                              ? std::string::npos
                                                                              : line.find(':') - 5));
    }
    // The behaviours the script must have shown (a missing one means the
    // script stopped early).
    const char* expected[] = {
        "prompt.idle", "title.document", "layout.bars", "layout.view", "layout.form", "toolbar.buttons",
        "route.posted", "route.accelerator", "disabled.posted.accelerator.toolbar", "menu.update.disabled",
        "menu.update.nohandler", "menu.update.handler", "disabled.menu", "prompt.menu.closed", "menu.update.enabled",
        "enabled.menu", "enabled.posted.accelerator.toolbar", "menu.update.checked", "toolbar.update.checked",
        "toolbar.update.disabled", "menu.update.unchecked", "idle.update", "view.update", "prompt.menuselect",
        "prompt.idle.again", "prompt.tooltip", "ddx.load", "dialog.owner", "ddv.message", "ddv.keeps.dialog",
        "ddv.focus", "ddx.save", "dialog.owner.enabled", "sheet.load", "sheet.ddv.message", "sheet.ddv.keeps.page",
        "sheet.second.page", "sheet.save", "save.first", "open.same.document", "open.contents", "open.view",
        "open.title", "save.second", "save.identical", "bar.hidden", "bar.shown", "toolbar.background", "screenshot", "close.prompt",
    };
    for (const char* name : expected) EXPECT_TRUE(passed.count(name)) << "no PASS line for " << name;
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), "END script");
}

TEST(SampleProgram, ClosingTheFrameEndsTheProgramCleanly) {
    const SampleResult& run = SampleRun();
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(SampleProgram, SavedDocumentAndScreenshotAreInTheBuildTree) {
    SampleRun();
    std::string folder = ProgramFolder() + "\\fwsample-run";
    auto size = [](const std::string& p) {
        WIN32_FILE_ATTRIBUTE_DATA a = {};
        return GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &a) ? (long long)a.nFileSizeLow : -1LL;
    };
    EXPECT_GT(size(folder + "\\saved1.smp"), 300);
    EXPECT_EQ(size(folder + "\\saved1.smp"), size(folder + "\\saved2.smp"));
    EXPECT_GT(size(folder + "\\fwsample_main.png"), 10000);
}

}  // namespace
