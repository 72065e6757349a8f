// The registration import against a recording database and progress window:
// a file of every kind of line, a cancel, a failing statement, a failing
// begin and a file that is gone.
#include "server/app/RegistrationImport.h"
#include "temp_folder.h"
#include "import/import_fixture.h"
#include <gtest/gtest.h>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace import_fixture;

class RecordingDatabase : public IImportDatabase
{
public:
    int failBegin = 0, failExecuteAt = 0; // 1-based; 0: never
    std::vector<std::string> calls;
    bool BeginTrans() override
    {
        calls.push_back("begin");
        return !failBegin;
    }
    bool Execute(const std::string& statement) override
    {
        calls.push_back(statement);
        return ++executed != failExecuteAt;
    }
    bool CommitTrans() override
    {
        calls.push_back("commit");
        return true;
    }
    bool RollbackTrans() override
    {
        calls.push_back("rollback");
        return true;
    }
    std::string LastError() override { return "refused"; }

private:
    int executed = 0;
};

class RecordingProgress : public IImportProgress
{
public:
    int cancelAt = 0; // 1-based step; 0: never
    std::vector<std::string> steps;
    bool Step(int imported, int read) override
    {
        steps.push_back(std::to_string(imported) + " / " + std::to_string(read));
        return (int)steps.size() == cancelAt;
    }
};

std::string WriteFile(const TempFolder& folder, const char* name, const std::vector<std::string>& lines)
{
    std::string path = folder.File(name);
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
    return path;
}

std::vector<std::string> Calls(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> FirstSent(size_t n)
{
    return std::vector<std::string>(Sent.begin(), Sent.begin() + n);
}

struct Case {
    const char* what;
    bool headerOnly, removeFile;
    int failBegin, failExecuteAt, cancelAt;
    std::vector<std::string> calls;
    int read, imported;
    bool cancelled, committed, error;
};

TEST(RegistrationImport, StatementsAndTransaction)
{
    const Case cases[] = {
        {"whole file", false, false, 0, 0, 0, Calls({{"begin"}, Sent, {"commit"}}), LinesRead, 5, false, true, false},
        {"header only", true, false, 0, 0, 0, {"begin", "commit"}, 0, 0, false, true, false},
        // Steps follow every line: the fifth is the December line, sent.
        {"cancel", false, false, 0, 0, 6, Calls({{"begin"}, FirstSent(2), {"rollback"}}), 4, 2, true, false,
         false},
        {"third statement refused", false, false, 0, 3, 0, Calls({{"begin"}, FirstSent(3), {"commit"}}), 6, 2, false,
         true, true},
        {"begin refused", false, false, 1, 0, 0, {"begin"}, 0, 0, false, false, true},
        {"file gone", false, true, 0, 0, 0, {"begin", "rollback"}, 0, 0, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        std::vector<std::string> lines(std::begin(FixtureLines), std::end(FixtureLines));
        if (c.headerOnly)
            lines.resize(1);
        std::string path = WriteFile(folder, "Halvex-2022-01.regQv", lines);
        if (c.removeFile) {
            ASSERT_TRUE(DeleteFileA(path.c_str()));
        }
        RecordingDatabase db;
        db.failBegin = c.failBegin;
        db.failExecuteAt = c.failExecuteAt;
        RecordingProgress progress;
        progress.cancelAt = c.cancelAt;

        ImportResult result = ImportRegistrations(db, progress, path, Period);
        EXPECT_EQ(c.calls, db.calls);
        EXPECT_EQ(c.read, result.read);
        EXPECT_EQ(c.imported, result.imported);
        EXPECT_EQ(c.cancelled, result.cancelled);
        EXPECT_EQ(c.committed, result.committed);
        EXPECT_EQ(c.error, !result.error.empty()) << result.error;
        if (c.committed && !c.error && !c.headerOnly) {
            ASSERT_FALSE(progress.steps.empty());
            EXPECT_EQ(std::to_string(c.imported) + " / " + std::to_string(c.read), progress.steps.back());
        }
    }
}

TEST(RegistrationImport, FileNameMonth)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    struct {
        const char* path;
        int year, month, day; // 0: the local time
    } cases[] = {
        {"C:\\regs\\Halvex-2022-01.regQv", 2022, 1, 31},
        {"Halvex-2024-02.regQv", 2024, 2, 29},
        {"Halvex-2100-02.REGQV", 2100, 2, 28},
        {"Halvex-2022-13.regQv", 0, 0, 0},
        {"Halvex-2022-1x.regQv", 0, 0, 0},
        {"regs.txt", 0, 0, 0},
        {"", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SYSTEMTIME when = FileNameMonth(c.path);
        if (c.year == 0) {
            EXPECT_EQ(now.wYear, when.wYear);
            EXPECT_EQ(now.wMonth, when.wMonth);
            continue;
        }
        EXPECT_EQ(c.year, when.wYear);
        EXPECT_EQ(c.month, when.wMonth);
        EXPECT_EQ(c.day, when.wDay);
        EXPECT_EQ(23, when.wHour);
        EXPECT_EQ(59, when.wSecond);
    }
}

} // namespace
