#include "framework/time.h"
#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {
// strftime one conversion at a time, so an unknown code cannot reach the C
// runtime's parameter check and an empty conversion is not taken for an error.
CString FormatTm(LPCSTR pszFormat, const struct tm& t) {
    static const char known[] = "aAbBcdHIjmMpSUwWxXyYzZ";
    CString out;
    if (!pszFormat)
        return out;
    for (LPCSTR p = pszFormat; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        LPCSTR start = p;
        bool alt = p[1] == '#';
        char code = alt ? p[2] : p[1];
        if (code == '%') {
            out += '%';
            p += alt ? 2 : 1;
            continue;
        }
        if (code == '\0' || !strchr(known, code)) {
            out += *start;  // copied as it stands
            continue;
        }
        char spec[4] = {'%', alt ? '#' : code, alt ? code : '\0', '\0'};
        char buf[256];
        size_t n = strftime(buf, sizeof buf, spec, &t);
        out.Append(buf, static_cast<int>(n));
        p += alt ? 2 : 1;
    }
    return out;
}

bool LocalTm(__time64_t t, struct tm* out) {
    if (t < 0)
        return false;
    struct tm* p = _localtime64(&t);
    if (!p)
        return false;
    *out = *p;
    return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);
const double kMinDate = -657434.0;            // 0100-01-01
const double kMaxDate = 2958465.99999999;     // 9999-12-31 23:59:59

// An OLE DATE below zero keeps its time of day as a positive fraction
// (-1.25 is 29 Dec 1899 06:00); arithmetic works on the linear day count.
double DateToLinear(double dt) {
    if (dt >= 0)
        return dt;
    double day = ceil(dt);
    return 2 * day - dt;
}

double LinearToDate(double lin) {
    if (lin >= 0)
        return lin;
    double day = floor(lin);
    double frac = lin - day;
    return frac == 0 ? day : day - frac;
}

struct Parts {
    int year, month, day, hour, minute, second, dayOfWeek, dayOfYear;
};

bool DateToParts(double dt, Parts& p) {
    if (!(dt >= kMinDate && dt <= kMaxDate + 1.0 / 86400))
        return false;
    double lin = DateToLinear(dt);
    double dayPart = floor(lin);
    long long secs = llround((lin - dayPart) * 86400.0);
    long long days = static_cast<long long>(dayPart);
    if (secs >= 86400) {
        secs -= 86400;
        ++days;
    }
    long long z = days + kOleEpoch;
    CivilFromDays(z, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    p.dayOfWeek = static_cast<int>(((z % 7) + 7 + 4) % 7) + 1;
    p.dayOfYear = static_cast<int>(z - DaysFromCivil(p.year, 1, 1)) + 1;
    return true;
}

void AppendInt64(CString& out, long long v, int minDigits) {
    char buf[32];
    _i64toa(v < 0 ? -v : v, buf, 10);
    if (v < 0)
        out += '-';
    for (int n = static_cast<int>(strlen(buf)); n < minDigits; ++n)
        out += '0';
    out += buf;
}

CString FormatSpan(LPCSTR pszFormat, long long days, long long hours, long long minutes, long long seconds) {
    CString out;
    if (!pszFormat)
        return out;
    for (LPCSTR p = pszFormat; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        switch (*++p) {
        case 'D': AppendInt64(out, days, 1); break;
        case 'H': AppendInt64(out, hours, 2); break;
        case 'M': AppendInt64(out, minutes, 2); break;
        case 'S': AppendInt64(out, seconds, 2); break;
        case '%': out += '%'; break;
        default:
            out += '%';
            out += *p;
        }
    }
    return out;
}
}  // namespace

// ---- CTimeSpan

CTimeSpan::CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept
    : m_timeSpan(nSecs + 60 * (nMins + 60 * (nHours + 24LL * lDays))) {}

CString CTimeSpan::Format(LPCSTR pszFormat) const {
    return FormatSpan(pszFormat, GetDays(), GetHours(), GetMinutes(), GetSeconds());
}

// ---- CTime

CTime WINAPI CTime::GetCurrentTime() { return CTime(_time64(nullptr)); }

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    struct tm t = {};
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = nDST;
    bool ok = nYear >= 1970 && nYear <= 3000 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 && nDay <= 31 &&
              nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59 && nSec >= 0 && nSec <= 59;
    m_time = ok ? _mktime64(&t) : -1;
}

CTime::CTime(const SYSTEMTIME& st, int nDST) {
    if (st.wYear < 1900)
        m_time = 0;
    else
        *this = CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

CTime::CTime(const FILETIME& ft, int nDST) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st))
        m_time = 0;
    else
        *this = CTime(st, nDST);
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const {
    if (!ptm || !LocalTm(m_time, ptm))
        return nullptr;
    return ptm;
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const {
    if (!ptm || m_time < 0)
        return nullptr;
    __time64_t t = m_time;
    struct tm* p = _gmtime64(&t);
    if (!p)
        return nullptr;
    *ptm = *p;
    return ptm;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    struct tm t;
    if (!LocalTm(m_time, &t))
        return FALSE;
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    st.wMilliseconds = 0;
    return TRUE;
}

#define FW_CTIME_PART(name, expr)       \
    int CTime::name() const {           \
        struct tm t;                    \
        return LocalTm(m_time, &t) ? (expr) : -1; \
    }
FW_CTIME_PART(GetYear, t.tm_year + 1900)
FW_CTIME_PART(GetMonth, t.tm_mon + 1)
FW_CTIME_PART(GetDay, t.tm_mday)
FW_CTIME_PART(GetHour, t.tm_hour)
FW_CTIME_PART(GetMinute, t.tm_min)
FW_CTIME_PART(GetSecond, t.tm_sec)
FW_CTIME_PART(GetDayOfWeek, t.tm_wday + 1)
#undef FW_CTIME_PART

CString CTime::Format(LPCSTR pszFormat) const {
    struct tm t;
    return LocalTm(m_time, &t) ? FormatTm(pszFormat, t) : CString();
}

CString CTime::FormatGmt(LPCSTR pszFormat) const {
    struct tm t;
    return GetGmtTm(&t) ? FormatTm(pszFormat, t) : CString();
}

// ---- COleDateTimeSpan

COleDateTimeSpan::COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept {
    SetDateTimeSpan(lDays, nHours, nMins, nSecs);
}

void COleDateTimeSpan::SetDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) {
    m_span = lDays + (nHours + (nMins + nSecs / 60.0) / 60.0) / 24.0;
    m_status = valid;
}

namespace {
long long SpanSeconds(double span) { return llround(span * 86400.0); }
}  // namespace

LONG COleDateTimeSpan::GetDays() const { return static_cast<LONG>(SpanSeconds(m_span) / 86400); }
LONG COleDateTimeSpan::GetHours() const { return static_cast<LONG>(SpanSeconds(m_span) / 3600 % 24); }
LONG COleDateTimeSpan::GetMinutes() const { return static_cast<LONG>(SpanSeconds(m_span) / 60 % 60); }
LONG COleDateTimeSpan::GetSeconds() const { return static_cast<LONG>(SpanSeconds(m_span) % 60); }

CString COleDateTimeSpan::Format(LPCSTR pszFormat) const {
    if (m_status != valid)
        return CString();
    return FormatSpan(pszFormat, GetDays(), GetHours(), GetMinutes(), GetSeconds());
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& s) const {
    COleDateTimeSpan r(m_span + s.m_span);
    if (m_status != valid || s.m_status != valid)
        r.m_status = (m_status == null || s.m_status == null) && m_status != invalid && s.m_status != invalid ? null : invalid;
    return r;
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& s) const { return *this + (-s); }

COleDateTimeSpan COleDateTimeSpan::operator-() const {
    COleDateTimeSpan r(-m_span);
    r.m_status = m_status;
    return r;
}

// ---- COleDateTime

COleDateTime WINAPI COleDateTime::GetCurrentTime() { return COleDateTime(_time64(nullptr)); }

COleDateTime::COleDateTime(__time64_t timeSrc) : m_dt(0), m_status(valid) {
    struct tm t;
    if (!LocalTm(timeSrc, &t))
        m_status = invalid;
    else
        SetDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

COleDateTime::COleDateTime(const SYSTEMTIME& st) : m_dt(0), m_status(valid) {
    SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

COleDateTime::COleDateTime(const FILETIME& ft) : m_dt(0), m_status(valid) {
    SYSTEMTIME st;
    if (FileTimeToSystemTime(&ft, &st))
        SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    else
        m_status = invalid;
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
    : m_dt(0), m_status(valid) {
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    bool ok = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
              nDay <= DaysInMonth(nYear, nMonth) && nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59 &&
              nSec >= 0 && nSec <= 59;
    if (!ok) {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    double days = static_cast<double>(DaysFromCivil(nYear, nMonth, nDay) - kOleEpoch);
    double frac = (nHour * 3600 + nMin * 60 + nSec) / 86400.0;
    m_dt = days < 0 ? days - frac : days + frac;
    m_status = valid;
    return 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const {
    Parts p;
    if (m_status != valid || !DateToParts(m_dt, p))
        return false;
    st.wYear = static_cast<WORD>(p.year);
    st.wMonth = static_cast<WORD>(p.month);
    st.wDayOfWeek = static_cast<WORD>(p.dayOfWeek - 1);
    st.wDay = static_cast<WORD>(p.day);
    st.wHour = static_cast<WORD>(p.hour);
    st.wMinute = static_cast<WORD>(p.minute);
    st.wSecond = static_cast<WORD>(p.second);
    st.wMilliseconds = 0;
    return true;
}

bool COleDateTime::GetAsUDATE(UDATE& udate) const {
    if (!GetAsSystemTime(udate.st))
        return false;
    Parts p;
    DateToParts(m_dt, p);
    udate.wDayOfYear = static_cast<USHORT>(p.dayOfYear);
    return true;
}

#define FW_OLEDATE_PART(name, field)                                  \
    int COleDateTime::name() const {                                  \
        Parts p;                                                      \
        return (m_status == valid && DateToParts(m_dt, p)) ? p.field : -1; \
    }
FW_OLEDATE_PART(GetYear, year)
FW_OLEDATE_PART(GetMonth, month)
FW_OLEDATE_PART(GetDay, day)
FW_OLEDATE_PART(GetHour, hour)
FW_OLEDATE_PART(GetMinute, minute)
FW_OLEDATE_PART(GetSecond, second)
FW_OLEDATE_PART(GetDayOfWeek, dayOfWeek)
FW_OLEDATE_PART(GetDayOfYear, dayOfYear)
#undef FW_OLEDATE_PART

CString COleDateTime::Format(LPCSTR pszFormat) const {
    if (m_status == null)
        return CString();
    Parts p;
    if (m_status != valid || !DateToParts(m_dt, p))
        return CString("Invalid DateTime");
    struct tm t = {};
    t.tm_year = p.year - 1900;
    t.tm_mon = p.month - 1;
    t.tm_mday = p.day;
    t.tm_hour = p.hour;
    t.tm_min = p.minute;
    t.tm_sec = p.second;
    t.tm_wday = p.dayOfWeek - 1;
    t.tm_yday = p.dayOfYear - 1;
    t.tm_isdst = -1;
    return FormatTm(pszFormat, t);
}

CString COleDateTime::Format(DWORD dwFlags, LCID lcid) const {
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString("Invalid DateTime");
    BSTR b = nullptr;
    if (FAILED(VarBstrFromDate(m_dt, lcid, dwFlags, &b)))
        return CString("Invalid DateTime");
    CString s(static_cast<LPCWSTR>(b));
    SysFreeString(b);
    return s;
}

bool COleDateTime::ParseDateTime(LPCSTR lpszDate, DWORD dwFlags, LCID lcid) {
    CString text(lpszDate);
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, n > 0 ? n - 1 : 0);
    if (!b) {
        m_status = invalid;
        return false;
    }
    MultiByteToWideChar(CP_ACP, 0, text, -1, b, n);
    DATE d = 0;
    HRESULT hr = VarDateFromStr(b, lcid, dwFlags, &d);
    SysFreeString(b);
    if (FAILED(hr)) {
        m_dt = 0;
        m_status = invalid;
        return false;
    }
    m_dt = d;
    m_status = valid;
    return true;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& s) const {
    COleDateTime r;
    if (m_status != valid || s.m_status != COleDateTimeSpan::valid) {
        r.m_status = (m_status == null || s.m_status == COleDateTimeSpan::null) ? null : invalid;
        return r;
    }
    double lin = DateToLinear(m_dt) + s.m_span;
    r.m_dt = LinearToDate(lin);
    if (!(r.m_dt >= kMinDate && r.m_dt <= kMaxDate + 1.0 / 86400)) {
        r.m_dt = 0;
        r.m_status = invalid;
    }
    return r;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& s) const { return *this + (-s); }

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& d) const {
    COleDateTimeSpan r(DateToLinear(m_dt) - DateToLinear(d.m_dt));
    if (m_status != valid || d.m_status != valid)
        r.m_status = (m_status == null || d.m_status == null) ? COleDateTimeSpan::null : COleDateTimeSpan::invalid;
    return r;
}

bool COleDateTime::operator<(const COleDateTime& d) const { return DateToLinear(m_dt) < DateToLinear(d.m_dt); }
