#include "server/services/SQLiteDatabase.h"

#include <windows.h>
#include <mbstring.h>
#include <sqlite3.h>
#include <cstdio>
#include <cstring>

namespace SQLite {

namespace {

// UTF-8 text from SQLite to an ANSI buffer (through UTF-16); null gives "".
std::vector<char> ToAnsi(const char* utf8)
{
    if (!utf8 || !*utf8)
        return std::vector<char>(1, '\0');
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::vector<wchar_t> w(wide > 0 ? wide : 1, L'\0');
    if (wide > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), wide);
    int ansi = WideCharToMultiByte(CP_ACP, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> out(ansi > 0 ? ansi : 1, '\0');
    if (ansi > 0)
        WideCharToMultiByte(CP_ACP, 0, w.data(), -1, out.data(), ansi, nullptr, nullptr);
    return out;
}

} // namespace

UTF8MBSTR::UTF8MBSTR(const char* ansi) : m_pUtf8(nullptr), m_nAnsiLength(0)
{
    if (!ansi)
        ansi = "";
    m_nAnsiLength = strlen(ansi);
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi, (int)m_nAnsiLength + 1, nullptr, 0);
    std::vector<wchar_t> w(wide > 0 ? wide : 1, L'\0');
    if (wide > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi, (int)m_nAnsiLength + 1, w.data(), wide);
    int size = WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
    if (size < 1)
        size = 1;
    m_pUtf8 = new char[size];
    m_pUtf8[0] = '\0';
    WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, m_pUtf8, size, nullptr, nullptr);
}

UTF8MBSTR::~UTF8MBSTR()
{
    delete[] m_pUtf8;
}

Table::Table(int rows, int columns)
    : m_nRowCount(rows), m_nColumnCount(columns), m_nCurrentRow(rows > 0 ? 0 : -1)
{
}

Table::~Table() {}

bool Table::ResetRow()
{
    if (m_nRowCount <= 0)
        return false;
    m_nCurrentRow = 0;
    return true;
}

bool Table::MoveNext()
{
    if (m_nCurrentRow + 1 < m_nRowCount) {
        ++m_nCurrentRow;
        return true;
    }
    return false;
}

const char* Table::GetValue(const char* column) const
{
    if (!column || m_nCurrentRow < 0 || m_nCurrentRow >= (int)m_rows.size())
        return nullptr;
    for (int c = 0; c < m_nColumnCount; ++c) {
        if (_mbsicmp(reinterpret_cast<const unsigned char*>(m_columnNames[c].data()),
                     reinterpret_cast<const unsigned char*>(column)) == 0)
            return m_rows[m_nCurrentRow][c].data();
    }
    return nullptr;
}

TablePtr& TablePtr::operator=(TablePtr&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_pTable = other.m_pTable;
        other.m_pTable = nullptr;
    }
    return *this;
}

void TablePtr::Reset()
{
    delete m_pTable;
    m_pTable = nullptr;
}

Database::Database() : m_pDb(nullptr), m_nLastError(0) {}

Database::~Database()
{
    Close();
}

int Database::Open(const char* path)
{
    Close();
    UTF8MBSTR utf8(path);
    int rc = sqlite3_open(utf8, &m_pDb);
    if (rc != SQLITE_OK) {
        m_nLastError = rc;
        // sqlite3_open may hand back a handle even on failure; it must be closed.
        if (m_pDb) {
            sqlite3_close(m_pDb);
            m_pDb = nullptr;
        }
        return rc;
    }
    char pragma[64];
    snprintf(pragma, sizeof pragma, "PRAGMA busy_timeout = %d", BusyTimeOutMs);
    DirectStatement(pragma);
    return rc;
}

int Database::Close()
{
    if (!m_pDb)
        return 0;
    int rc = sqlite3_close(m_pDb);
    m_pDb = nullptr;
    if (rc != SQLITE_OK)
        m_nLastError = rc;
    return rc;
}

int Database::DirectStatement(const char* sql)
{
    if (!m_pDb) {
        m_nLastError = SQLITE_ERROR;
        return SQLITE_ERROR;
    }
    UTF8MBSTR utf8(sql);
    char* message = nullptr;
    int rc = sqlite3_exec(m_pDb, utf8, nullptr, nullptr, &message);
    if (message)
        sqlite3_free(message);
    if (rc != SQLITE_OK)
        m_nLastError = rc;
    return rc;
}

bool Database::BeginTransaction()
{
    if (!m_pDb) {
        m_nLastError = SQLITE_ERROR;
        return false;
    }
    m_nLastError = DirectStatement("BEGIN TRANSACTION");
    return m_nLastError == SQLITE_OK;
}

bool Database::CommitTransaction()
{
    if (!m_pDb) {
        m_nLastError = SQLITE_ERROR;
        return false;
    }
    m_nLastError = DirectStatement("COMMIT TRANSACTION");
    return m_nLastError == SQLITE_OK;
}

TablePtr Database::Query(const char* sql)
{
    if (!m_pDb) {
        m_nLastError = SQLITE_ERROR;
        return TablePtr();
    }
    UTF8MBSTR utf8(sql);
    char** result = nullptr;
    int rows = 0, columns = 0;
    char* message = nullptr;
    int rc = sqlite3_get_table(m_pDb, utf8, &result, &rows, &columns, &message);
    if (message)
        sqlite3_free(message);
    if (rc != SQLITE_OK) {
        m_nLastError = rc;
        rows = 0;
        columns = 0;
    }
    Table* table = new Table(rows, columns);
    if (result) {
        table->m_columnNames.reserve(columns);
        for (int c = 0; c < columns; ++c)
            table->m_columnNames.push_back(ToAnsi(result[c]));
        table->m_rows.resize(rows);
        for (int r = 0; r < rows; ++r) {
            table->m_rows[r].reserve(columns);
            for (int c = 0; c < columns; ++c)
                table->m_rows[r].push_back(ToAnsi(result[(r + 1) * columns + c]));
        }
        sqlite3_free_table(result);
    }
    return TablePtr(table);
}

std::string EscapeText(const char* text)
{
    std::string out;
    if (!text)
        return out;
    for (const char* p = text; *p; ++p) {
        out += *p;
        if (*p == '\'')
            out += '\'';
    }
    return out;
}

} // namespace SQLite
