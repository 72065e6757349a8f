// The registration import without its windows: which lines of a monthly
// registration file are sent, the statements sent, and the transaction
// around them. The command (C_HalvexView) supplies the database connection
// and the progress window.
#pragma once
#include <windows.h>
#include "framework/handle.h"
#include <string>
#include <vector>

// "%04d-%02d-%02d %02d:%02d:%02d" of both ends, both included.
struct ImportPeriod {
    std::string from;
    std::string to;
};

// What one line of the file is to the import.
enum class ImportLineKind {
    Skipped,  // not a registration (header, blank line): not counted
    NotSent,  // a registration, invalid or outside the period: counted as read
    Send,     // counted and sent with the statement
};

// The line's kind and, for Send, its stored-procedure call. The year comes
// from the bus layer's rule against the time the line was written (its
// DateTimeDL field), else against `fileMonth`.
ImportLineKind ReadImportLine(const std::string& line, const SYSTEMTIME& fileMonth, const ImportPeriod& period,
                              std::string& statement);

// The last second of the month a "...-YYYY-MM.regQv" name carries; the local
// time when the name carries none.
SYSTEMTIME FileNameMonth(const std::string& path);

// The file's lines without their line ends; false (with the system's error
// text) when it cannot be opened or read. Others may go on writing it.
bool ReadImportFile(const std::string& path, std::vector<std::string>& lines, std::string& error);
// Opens the file for reading, others still reading and writing it; on failure
// no handle and the system's text of the failure in `error`.
COwnedHandle OpenImportFile(const std::string& path, std::string& error);

// The system's text for an error code, without its line end.
std::string SystemErrorText(DWORD code);

class IImportDatabase {
public:
    virtual ~IImportDatabase() {}
    virtual bool BeginTrans() = 0;
    virtual bool Execute(const std::string& statement) = 0;
    virtual bool CommitTrans() = 0;
    virtual bool RollbackTrans() = 0;
    virtual std::string LastError() = 0;
};

class IImportProgress {
public:
    virtual ~IImportProgress() {}
    // "%d / %d"; true when the operator cancelled.
    virtual bool Step(int imported, int read) = 0;
};

struct ImportResult {
    int read = 0;
    int imported = 0;
    bool cancelled = false;  // rolled back, nothing to report
    bool committed = false;
    std::string error;       // a failed statement, begin, commit or file
};

// Begins the transaction, reads the file, sends the lines of the period and
// commits, or rolls back when cancelled, when the file cannot be read or
// when the transaction cannot begin (nothing was sent then). A failed
// statement ends the reading; what was sent before it is committed.
ImportResult ImportRegistrations(IImportDatabase& db, IImportProgress& progress, const std::string& path,
                                 const ImportPeriod& period);
