// Thin wrapper over SQLite 3 for the server's local databases (registration
// buffer and user event log). Texts are ANSI outside, UTF-8 inside SQLite.
#pragma once
#include <string>
#include <vector>

struct sqlite3;

namespace SQLite {

// Busy time-out every connection gets: the registration buffer is shared by
// two connections, and a statement that meets the other's lock must wait
// rather than fail at once.
const int BusyTimeOutMs = 5000;

// UTF-8 copy of one ANSI text.
class UTF8MBSTR {
public:
    explicit UTF8MBSTR(const char* ansi);
    virtual ~UTF8MBSTR();
    operator const char*() const { return m_pUtf8; }
    size_t AnsiLength() const { return m_nAnsiLength; }

private:
    UTF8MBSTR(const UTF8MBSTR&) = delete;
    UTF8MBSTR& operator=(const UTF8MBSTR&) = delete;
    char* m_pUtf8;
    size_t m_nAnsiLength;
};

// Result of one query: column names, rows of cells (all ANSI texts, NULL
// cells as empty texts) and a row cursor.
class Table {
public:
    Table(int rows, int columns);
    virtual ~Table();

    int GetRowCount() const { return m_nRowCount; }
    int GetColumnCount() const { return m_nColumnCount; }
    int GetCurrentRow() const { return m_nCurrentRow; }

    bool ResetRow();
    bool MoveNext();
    // Cell of the current row in the column named (ignoring case); null when
    // there is no current row or no such column.
    const char* GetValue(const char* column) const;

private:
    friend class Database;
    int m_nRowCount;
    int m_nColumnCount;
    std::vector<std::vector<char>> m_columnNames;
    std::vector<std::vector<std::vector<char>>> m_rows;
    int m_nCurrentRow;
};

// Owns one Table (possibly none).
class TablePtr {
public:
    TablePtr() : m_pTable(nullptr) {}
    explicit TablePtr(Table* table) : m_pTable(table) {}
    TablePtr(TablePtr&& other) noexcept : m_pTable(other.m_pTable) { other.m_pTable = nullptr; }
    TablePtr& operator=(TablePtr&& other) noexcept;
    virtual ~TablePtr() { Reset(); }

    void Reset();
    Table* operator->() const { return m_pTable; }
    Table* Get() const { return m_pTable; }
    explicit operator bool() const { return m_pTable != nullptr; }

private:
    TablePtr(const TablePtr&) = delete;
    TablePtr& operator=(const TablePtr&) = delete;
    Table* m_pTable;
};

class Database {
public:
    Database();
    virtual ~Database();

    int Open(const char* path);
    int Close();
    bool IsOpen() const { return m_pDb != nullptr; }

    int DirectStatement(const char* sql);
    bool BeginTransaction();
    bool CommitTransaction();
    TablePtr Query(const char* sql);

    // Last non-zero SQLite result code (1 when used while closed).
    int GetLastError() const { return m_nLastError; }

private:
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    sqlite3* m_pDb;
    int m_nLastError;
};

// A text as an SQL string literal body: every single quote doubled.
std::string EscapeText(const char* text);

} // namespace SQLite
