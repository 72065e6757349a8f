// CAdoConnection through the real chain: ADO, its ODBC provider, odbc32,
// unixODBC, the driver shim, FreeTDS and the TDS stand-in (see README.md).
#include "server/services/AdoConnection.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "TdsControl.h"

namespace {

const char kRegistration[] =
    "exec spDorvikReg2 '12345678', '2026-12-10', '2026-12-10 08:00:00', '999', 5, 16, '10'";

std::string Text(const CAdoConnection& ado)
{
    return static_cast<LPCSTR>(ado.GetLastErrorText());
}

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

class AdoConnectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TdsControl::Dsn().empty()) << "run through with-tds.sh";
        ASSERT_EQ("OK", control.Reset());
    }

    TdsControl control;
    const std::string conn = TdsControl::ConnectionString();
};

TEST_F(AdoConnectionTest, NewObjectWithEmptyStringFailsAndShowsEmptyString)
{
    CAdoConnection ado;
    EXPECT_FALSE(ado.IsOpen());
    EXPECT_FALSE(ado.Open("", "", ""));
    std::string text = Text(ado);
    EXPECT_TRUE(StartsWith(text, "Connection String = \nCAdoConnection Error\n\tCode = ")) << text;
    EXPECT_NE(std::string::npos, text.find("\n\tCode meaning = ")) << text;
    EXPECT_NE(std::string::npos, text.find("\n\tSource = ")) << text;
    EXPECT_NE(std::string::npos, text.find("\n\tDescription = ")) << text;
    EXPECT_EQ('\n', text.back());
    EXPECT_FALSE(ado.IsOpen());
}

TEST_F(AdoConnectionTest, ClosedConnectionFailsExecuteWithoutException)
{
    CAdoConnection ado;
    ado.Close();  // nothing open: no effect, no exception
    EXPECT_FALSE(ado.Execute(kRegistration));
    EXPECT_TRUE(StartsWith(Text(ado), "Connection String = \nCAdoConnection Error\n\tCode = ")) << Text(ado);
    EXPECT_EQ(0u, control.Batches().size());
}

TEST_F(AdoConnectionTest, OpenAndExecuteDeliverTheExactText)
{
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(conn.c_str(), "", "")) << Text(ado);
    EXPECT_TRUE(ado.IsOpen());
    EXPECT_EQ(1, control.Logins());
    ASSERT_TRUE(ado.Execute(kRegistration)) << Text(ado);
    // The driver sends nothing of its own: the statement is the only batch.
    std::vector<std::string> batches = control.Batches();
    ASSERT_EQ(1u, batches.size());
    EXPECT_EQ(kRegistration, batches[0]);
    ado.Close();
    EXPECT_FALSE(ado.IsOpen());
}

TEST_F(AdoConnectionTest, EmptyStringReusesTheLastOne)
{
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(conn.c_str(), "", "")) << Text(ado);
    // Open again on an open connection closes it first, then logs in anew.
    ASSERT_TRUE(ado.Open("", "", "")) << Text(ado);
    EXPECT_TRUE(ado.IsOpen());
    EXPECT_EQ(2, control.Logins());
    EXPECT_TRUE(ado.Execute("select 1"));
}

TEST_F(AdoConnectionTest, RefusedStatementFailsWithFormattedTextAndNoPassword)
{
    const std::string withPassword = conn + ";Password=Secr3t-Item";
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(withPassword.c_str(), "", "")) << Text(ado);
    ASSERT_EQ("OK", control.Command("fail text spDorvikReg2"));
    EXPECT_FALSE(ado.Execute(kRegistration));
    std::string text = Text(ado);
    EXPECT_TRUE(StartsWith(text, "Connection String = " + conn + ";Password=****\nCAdoConnection Error\n\tCode = "))
        << text;
    EXPECT_EQ(std::string::npos, text.find("Secr3t")) << text;
    // The statement reached the database and was refused there.
    std::vector<std::string> batches = control.Batches();
    ASSERT_FALSE(batches.empty());
    EXPECT_EQ(kRegistration, batches.back());
    // Other statements still go through on the same connection.
    EXPECT_TRUE(ado.Execute("select 1")) << Text(ado);
}

TEST_F(AdoConnectionTest, NthStatementIsRefused)
{
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(conn.c_str(), "", "")) << Text(ado);
    ASSERT_EQ("OK", control.Command("fail nth 2"));
    EXPECT_TRUE(ado.Execute("select 1"));
    EXPECT_FALSE(ado.Execute("select 2"));
    EXPECT_TRUE(ado.Execute("select 3"));
}

TEST_F(AdoConnectionTest, RefusedConnectionFailsOpenCleanly)
{
    ASSERT_EQ("OK", control.Command("refuse on"));
    CAdoConnection ado;
    EXPECT_FALSE(ado.Open(conn.c_str(), "", ""));
    EXPECT_TRUE(StartsWith(Text(ado), "Connection String = " + conn + "\nCAdoConnection Error\n\tCode = "))
        << Text(ado);
    EXPECT_FALSE(ado.IsOpen());
    EXPECT_FALSE(ado.Execute(kRegistration));
    // Once the database is back, the same object connects.
    ASSERT_EQ("OK", control.Command("refuse off"));
    EXPECT_TRUE(ado.Open("", "", "")) << Text(ado);
    EXPECT_TRUE(ado.Execute(kRegistration)) << Text(ado);
}

TEST_F(AdoConnectionTest, DroppedConnectionIsReported)
{
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(conn.c_str(), "", "")) << Text(ado);
    ASSERT_EQ("OK", control.Command("drop"));
    EXPECT_FALSE(ado.Execute(kRegistration));
    EXPECT_TRUE(StartsWith(Text(ado), "Connection String = " + conn + "\nCAdoConnection Error\n\tCode = "))
        << Text(ado);
    ado.Close();  // must not throw, whatever state the provider reports
    EXPECT_TRUE(ado.Open("", "", "")) << Text(ado);
    EXPECT_TRUE(ado.Execute(kRegistration)) << Text(ado);
}

// Open fails at once on a data source that does not exist; the error text must
// carry no password in whatever form the connection string gives it.
TEST_F(AdoConnectionTest, PasswordNeverInErrorText)
{
    struct Case {
        const char* connection;
        const char* password;
        const char* shown;
    } cases[] = {
        {"Provider=MSDASQL;Data Source=NoSuchDsn;Password=Secr3t", "", "Provider=MSDASQL;Data Source=NoSuchDsn;Password=****"},
        {"Provider=MSDASQL;PWD=Secr3t;Data Source=NoSuchDsn", "", "Provider=MSDASQL;PWD=****;Data Source=NoSuchDsn"},
        {"Provider=MSDASQL;Data Source=NoSuchDsn; password = 'Secr3t;x'", "", "Provider=MSDASQL;Data Source=NoSuchDsn; password = ****"},
        {"Provider=MSDASQL;Data Source=NoSuchDsn;Pwd={Secr3t;x};User ID=u", "", "Provider=MSDASQL;Data Source=NoSuchDsn;Pwd=****;User ID=u"},
        {"Provider=MSDASQL;Data Source=NoSuchDsn", "Secr3t", "Provider=MSDASQL;Data Source=NoSuchDsn"},
    };
    for (const Case& c : cases) {
        CAdoConnection ado;
        EXPECT_FALSE(ado.Open(c.connection, "someone", c.password)) << c.connection;
        std::string text = Text(ado);
        EXPECT_TRUE(StartsWith(text, std::string("Connection String = ") + c.shown + "\n")) << text;
        EXPECT_EQ(std::string::npos, text.find("Secr3t")) << text;
    }
}

// The object balances its own CoInitialize only on the thread that made it;
// destroyed elsewhere, it must leave that thread's COM as it was.
TEST(AdoConnectionComTest, DestroyedOnAnotherThreadLeavesThatThreadsCom)
{
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    CAdoConnection* ado = nullptr;
    std::thread([&ado] { ado = new CAdoConnection; }).join();
    ASSERT_NE(nullptr, ado);
    delete ado;
    EXPECT_EQ(S_FALSE, CoInitialize(NULL)) << "this thread's COM was uninitialised";
    CoUninitialize();
    CoUninitialize();
}

} // namespace

namespace {

std::string JoinBatches(const std::vector<std::string>& batches)
{
    std::string all;
    for (const std::string& b : batches)
        all += (all.empty() ? "" : " | ") + b;
    return all;
}

// Wine's ADO answers BeginTrans, CommitTrans and RollbackTrans with
// E_NOTIMPL, so nothing of a transaction reaches the driver. A refused
// transaction call is a FALSE result with the formatted text, and the
// connection stays usable; where the platform carries transactions, the
// statement inside one arrives as it is.
TEST_F(AdoConnectionTest, TransactionCalls)
{
    CAdoConnection ado;
    ASSERT_TRUE(ado.Open(conn.c_str(), "", "")) << Text(ado);
    ASSERT_EQ("OK", control.Command("clear"));
    const bool began = ado.BeginTrans() != FALSE;
    if (!began) {
        EXPECT_TRUE(StartsWith(Text(ado), "Connection String = ")) << Text(ado);
        EXPECT_NE(std::string::npos, Text(ado).find("Code = ")) << Text(ado);
        EXPECT_EQ("", JoinBatches(control.Batches()));
    }
    EXPECT_TRUE(ado.Execute(kRegistration)) << Text(ado);
    EXPECT_EQ(began, ado.CommitTrans() != FALSE) << Text(ado);
    EXPECT_EQ(began, ado.BeginTrans() != FALSE) << Text(ado);
    EXPECT_EQ(began, ado.RollbackTrans() != FALSE) << Text(ado);
    EXPECT_EQ(kRegistration, JoinBatches(control.Batches()));
    EXPECT_TRUE(ado.IsOpen());
}

// The data-link dialog reads and sets the object's connection string.
TEST_F(AdoConnectionTest, ConnectionStringProperty)
{
    CAdoConnection ado;
    ASSERT_NE(nullptr, ado.GetDispatch());
    ASSERT_TRUE(ado.SetConnectionString(conn.c_str())) << Text(ado);
    CString text;
    ASSERT_TRUE(ado.GetConnectionString(text)) << Text(ado);
    EXPECT_NE(-1, text.Find("HalvexTds")) << (LPCSTR)text;
    // The string set is the one an empty Open reuses.
    EXPECT_TRUE(ado.Open("", "", "")) << Text(ado);
}

} // namespace
