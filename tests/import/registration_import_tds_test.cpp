// The import's statements through the real chain (ADO, its ODBC provider,
// FreeTDS) to the database stand-in, byte for byte. Wine's ADO carries no
// transactions (see the ADO wrapper's tests), so the transaction calls stay
// with this test and their rules are proven against the recording database.
#include "server/app/RegistrationImport.h"
#include "server/services/AdoConnection.h"
#include "temp_folder.h"
#include "import/import_fixture.h"
#include "TdsControl.h"
#include <gtest/gtest.h>
#include <fstream>

namespace {

using namespace import_fixture;

class AdoStatements : public IImportDatabase
{
public:
    explicit AdoStatements(CAdoConnection& ado) : m_ado(ado) {}
    bool BeginTrans() override { return true; }
    bool Execute(const std::string& statement) override { return m_ado.Execute(statement.c_str()) != FALSE; }
    bool CommitTrans() override { return true; }
    bool RollbackTrans() override { return true; }
    std::string LastError() override { return std::string(m_ado.GetLastErrorText().GetString()); }

private:
    CAdoConnection& m_ado;
};

class NoCancel : public IImportProgress
{
public:
    bool Step(int, int) override { return false; }
};

std::string WriteFixture(const TempFolder& folder)
{
    std::string path = folder.File("Halvex-2022-01.regQv");
    std::ofstream out(path, std::ios::binary);
    for (const char* line : FixtureLines)
        out << line << "\r\n";
    return path;
}

TEST(RegistrationImportTds, StatementsReachTheDatabaseAsSent)
{
    TdsControl control;
    ASSERT_FALSE(TdsControl::Dsn().empty()) << "run through with-tds.sh";
    ASSERT_EQ("OK", control.Command("refuse off"));
    ASSERT_EQ("OK", control.Command("fail none"));
    TempFolder folder;
    const std::string path = WriteFixture(folder);
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(TdsControl::ConnectionString().c_str(), "", "")) << (LPCSTR)ado.GetLastErrorText();
    ASSERT_EQ("OK", control.Command("clear"));

    AdoStatements db(ado);
    NoCancel progress;
    ImportResult result = ImportRegistrations(db, progress, path, Period);
    EXPECT_EQ(Sent, control.Batches());
    EXPECT_EQ(LinesRead, result.read);
    EXPECT_EQ((int)Sent.size(), result.imported);
    EXPECT_TRUE(result.committed);
    EXPECT_EQ("", result.error);

    // A statement the database refuses ends the reading with its text.
    ASSERT_EQ("OK", control.Command("clear"));
    ASSERT_EQ("OK", control.Command("fail text 2021-12-01"));
    result = ImportRegistrations(db, progress, path, Period);
    EXPECT_EQ(std::vector<std::string>(Sent.begin(), Sent.begin() + 3), control.Batches());
    EXPECT_EQ(2, result.imported);
    EXPECT_NE(std::string::npos, result.error.find("CAdoConnection Error")) << result.error;
}

} // namespace
