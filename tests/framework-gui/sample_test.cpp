// The sample program run by its scripted driver: every check of the script
// passes, the saved files match, the screenshot exists and the program ends
// with exit code 0 when its frame closes.
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <set>
#include <sstream>
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

// "KIND name: detail" split into its three parts.
struct ReportLine {
    std::string kind, name, detail;
};
ReportLine Parse(const std::string& line) {
    ReportLine r;
    const size_t space = line.find(' '), colon = line.find(": ");
    r.kind = line.substr(0, space);
    if (space == std::string::npos) return r;
    r.name = line.substr(space + 1, colon == std::string::npos ? std::string::npos : colon - space - 1);
    if (colon != std::string::npos) r.detail = line.substr(colon + 2);
    return r;
}

// The script's own table opens the report ("STEP name: check check ..."):
// every step must finish and every check it names must pass, so a script
// that stopped early or skipped a check shows.
TEST(SampleProgram, EveryStepOfTheScriptFinishesAndEveryCheckPasses) {
    const SampleResult& run = SampleRun();
    std::vector<std::string> steps, checks;
    std::set<std::string> done, passed;
    for (const std::string& line : run.lines) {
        std::cout << line << "\n";
        EXPECT_NE(line.rfind("FAIL", 0), 0u) << line;
        const ReportLine r = Parse(line);
        if (r.kind == "STEP") {
            steps.push_back(r.name);
            std::istringstream names(r.detail);
            for (std::string check; names >> check;) checks.push_back(check);
        } else if (r.kind == "DONE") {
            done.insert(r.name);
        } else if (r.kind == "PASS") {
            passed.insert(r.name);
        }
    }
    ASSERT_FALSE(steps.empty()) << "the report has no plan";
    for (const std::string& step : steps) EXPECT_TRUE(done.count(step)) << "step " << step << " did not finish";
    for (const std::string& check : checks) EXPECT_TRUE(passed.count(check)) << "no PASS line for " << check;
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
