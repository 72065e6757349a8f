// The bus services pull in Winsock, which must come before windows.h.
#include <winsock2.h>
#include "server/app/RegistrationImport.h"
#include "bus/EventArgs.h"
#include "server/services/BufferedRegistration.h"
#include "server/services/BusServices.h"
#include <cstdio>
#include <cstring>

namespace {

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

bool StartsWithDigit(const std::string& text)
{
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

// "%04d-%02d-%02d %02d:%02d:%02d" of a real moment.
bool ParseWritten(const std::string& text, SYSTEMTIME& when)
{
    int y, mo, d, h, mi, s;
    char end;
    if (text.size() != 19 || sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &end) != 6 ||
        !VTMultiDrop::IsValidDateTime(y, mo, d, h, mi, s))
        return false;
    when = SYSTEMTIME();
    when.wYear = (WORD)y;
    when.wMonth = (WORD)mo;
    when.wDay = (WORD)d;
    when.wHour = (WORD)h;
    when.wMinute = (WORD)mi;
    when.wSecond = (WORD)s;
    return true;
}


} // namespace

std::string SystemErrorText(DWORD code)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string out = text ? text : "";
    if (text)
        LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    if (out.empty())
        out = "Error " + std::to_string(code);
    return out;
}

ImportLineKind ReadImportLine(const std::string& line, const SYSTEMTIME& fileMonth, const ImportPeriod& period,
                              std::string& statement)
{
    std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < 5 || !StartsWithDigit(fields[3]) || !StartsWithDigit(fields[4]))
        return ImportLineKind::Skipped;
    int port = 0, id = 0;
    sscanf(fields[3].c_str(), "%03d", &port);
    sscanf(fields[4].c_str(), "%03d", &id);

    SYSTEMTIME now = fileMonth;
    if (fields.size() > 6)
        ParseWritten(fields[6], now);
    VTMultiDrop::EventArgRegistration r;
    r.Parse(port, id, fields[0], now);
    if (!r.m_Valid || r.m_DateTimeText < period.from || r.m_DateTimeText > period.to)
        return ImportLineKind::NotSent;
    BufferedRegistration values;
    ToBuffered(r, values);
    statement = FormatStoredProcedureCall(values);
    return ImportLineKind::Send;
}

SYSTEMTIME FileNameMonth(const std::string& path)
{
    SYSTEMTIME when;
    GetLocalTime(&when);
    const char suffix[] = ".regQv";
    const size_t tail = 7 + sizeof(suffix) - 1; // "YYYY-MM" and the suffix
    if (path.size() < tail || _stricmp(path.c_str() + path.size() - (sizeof(suffix) - 1), suffix) != 0)
        return when;
    int year, month;
    char dash;
    std::string digits = path.substr(path.size() - tail, 7);
    if (sscanf(digits.c_str(), "%4d%c%2d", &year, &dash, &month) != 3 || dash != '-' || year < 1601 || month < 1 ||
        month > 12 || digits.find_first_not_of("0123456789-") != std::string::npos)
        return when;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    when = SYSTEMTIME();
    when.wYear = (WORD)year;
    when.wMonth = (WORD)month;
    when.wDay = (WORD)(days[month - 1] + (month == 2 && leap ? 1 : 0));
    when.wHour = 23;
    when.wMinute = 59;
    when.wSecond = 59;
    return when;
}

COwnedHandle OpenImportFile(const std::string& path, std::string& error)
{
    COwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        error = SystemErrorText(GetLastError());
    return file;
}

bool ReadImportFile(const std::string& path, std::vector<std::string>& lines, std::string& error)
{
    COwnedHandle file = OpenImportFile(path, error);
    if (!file.IsValid())
        return false;
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    bool ok;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr) != FALSE) && got > 0)
        text.append(buffer, got);
    DWORD code = GetLastError();
    file.Close();
    if (!ok) {
        error = SystemErrorText(code);
        return false;
    }
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

ImportResult ImportRegistrations(IImportDatabase& db, IImportProgress& progress, const std::string& path,
                                 const ImportPeriod& period)
{
    ImportResult result;
    if (!db.BeginTrans()) {
        result.error = db.LastError();
        return result;
    }
    std::vector<std::string> lines;
    if (!ReadImportFile(path, lines, result.error)) {
        db.RollbackTrans();
        return result;
    }
    const SYSTEMTIME fileMonth = FileNameMonth(path);
    for (const std::string& line : lines) {
        std::string statement;
        ImportLineKind kind = ReadImportLine(line, fileMonth, period, statement);
        if (kind != ImportLineKind::Skipped)
            ++result.read;
        if (kind == ImportLineKind::Send) {
            if (!db.Execute(statement)) {
                result.error = db.LastError();
                break;
            }
            ++result.imported;
        }
        if (progress.Step(result.imported, result.read)) {
            result.cancelled = true;
            break;
        }
    }
    if (result.cancelled) {
        db.RollbackTrans();
        return result;
    }
    result.committed = db.CommitTrans();
    if (!result.committed && result.error.empty())
        result.error = db.LastError();
    return result;
}
