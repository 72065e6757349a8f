// CTime/CTimeSpan (seconds, local time through the C runtime) and
// COleDateTime/COleDateTimeSpan (OLE DATE: days since 1899-12-30).
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <time.h>
#include "framework/string.h"

// The Win16 leftover macro would rename the GetCurrentTime members below.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

class CTimeSpan {
public:
    CTimeSpan() noexcept : m_timeSpan(0) {}
    CTimeSpan(__time64_t time) noexcept : m_timeSpan(time) {}
    CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept;

    LONGLONG GetDays() const { return m_timeSpan / (24 * 3600); }
    LONGLONG GetTotalHours() const { return m_timeSpan / 3600; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONGLONG GetTotalMinutes() const { return m_timeSpan / 60; }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONGLONG GetTotalSeconds() const { return m_timeSpan; }
    LONG GetSeconds() const { return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60); }
    __time64_t GetTimeSpan() const { return m_timeSpan; }

    // %D days, %H hours, %M minutes, %S seconds, %% percent.
    CString Format(LPCSTR pszFormat) const;

    CTimeSpan operator+(CTimeSpan s) const { return CTimeSpan(m_timeSpan + s.m_timeSpan); }
    CTimeSpan operator-(CTimeSpan s) const { return CTimeSpan(m_timeSpan - s.m_timeSpan); }
    CTimeSpan& operator+=(CTimeSpan s) { m_timeSpan += s.m_timeSpan; return *this; }
    CTimeSpan& operator-=(CTimeSpan s) { m_timeSpan -= s.m_timeSpan; return *this; }
    bool operator==(CTimeSpan s) const { return m_timeSpan == s.m_timeSpan; }
    bool operator!=(CTimeSpan s) const { return m_timeSpan != s.m_timeSpan; }
    bool operator<(CTimeSpan s) const { return m_timeSpan < s.m_timeSpan; }
    bool operator>(CTimeSpan s) const { return m_timeSpan > s.m_timeSpan; }
    bool operator<=(CTimeSpan s) const { return m_timeSpan <= s.m_timeSpan; }
    bool operator>=(CTimeSpan s) const { return m_timeSpan >= s.m_timeSpan; }

private:
    __time64_t m_timeSpan;
};

class CTime {
public:
    static CTime WINAPI GetCurrentTime();

    CTime() noexcept : m_time(0) {}
    CTime(__time64_t time) noexcept : m_time(time) {}
    // Local time; out-of-range parts give an invalid time (GetTime() == -1).
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    CTime(const FILETIME& ft, int nDST = -1);

    __time64_t GetTime() const { return m_time; }
    struct tm* GetLocalTm(struct tm* ptm) const;  // null for an invalid time
    struct tm* GetGmtTm(struct tm* ptm) const;
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday

    // strftime codes, local time; unknown codes are copied as they stand.
    CString Format(LPCSTR pszFormat) const;
    CString FormatGmt(LPCSTR pszFormat) const;

    CTimeSpan operator-(CTime t) const { return CTimeSpan(m_time - t.m_time); }
    CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
    CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
    CTime& operator+=(CTimeSpan s) { m_time += s.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan s) { m_time -= s.GetTimeSpan(); return *this; }
    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    __time64_t m_time;
};

class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTimeSpan() noexcept : m_span(0), m_status(valid) {}
    COleDateTimeSpan(double dblSpanSrc) noexcept : m_span(dblSpanSrc), m_status(valid) {}
    COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept;

    void SetDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs);
    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }

    double GetTotalDays() const { return m_span; }
    double GetTotalHours() const { return m_span * 24; }
    double GetTotalMinutes() const { return m_span * 24 * 60; }
    double GetTotalSeconds() const { return m_span * 24 * 60 * 60; }
    LONG GetDays() const;
    LONG GetHours() const;
    LONG GetMinutes() const;
    LONG GetSeconds() const;
    CString Format(LPCSTR pszFormat) const;  // as CTimeSpan::Format

    operator double() const { return m_span; }
    COleDateTimeSpan operator+(const COleDateTimeSpan& s) const;
    COleDateTimeSpan operator-(const COleDateTimeSpan& s) const;
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& s) { return *this = *this + s; }
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& s) { return *this = *this - s; }
    COleDateTimeSpan operator-() const;
    bool operator==(const COleDateTimeSpan& s) const { return m_status == s.m_status && m_span == s.m_span; }
    bool operator!=(const COleDateTimeSpan& s) const { return !(*this == s); }
    bool operator<(const COleDateTimeSpan& s) const { return m_span < s.m_span; }
    bool operator>(const COleDateTimeSpan& s) const { return m_span > s.m_span; }
    bool operator<=(const COleDateTimeSpan& s) const { return m_span <= s.m_span; }
    bool operator>=(const COleDateTimeSpan& s) const { return m_span >= s.m_span; }

    double m_span;
    DateTimeSpanStatus m_status;
};

class COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    static COleDateTime WINAPI GetCurrentTime();  // local time, whole seconds

    COleDateTime() noexcept : m_dt(0), m_status(valid) {}
    COleDateTime(DATE dtSrc) noexcept : m_dt(dtSrc), m_status(valid) {}
    COleDateTime(__time64_t timeSrc);
    COleDateTime(const SYSTEMTIME& st);
    COleDateTime(const FILETIME& ft);
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    // 0 on success; otherwise the object becomes invalid and 1 is returned.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay) { return SetDateTime(nYear, nMonth, nDay, 0, 0, 0); }
    int SetTime(int nHour, int nMin, int nSec) { return SetDateTime(1899, 12, 30, nHour, nMin, nSec); }
    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    bool GetAsSystemTime(SYSTEMTIME& st) const;
    bool GetAsUDATE(UDATE& udate) const;
    // These give -1 for an object that is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    int GetDayOfYear() const;  // 1 = 1 January

    // strftime codes; "Invalid DateTime" for an invalid object, "" for a null one.
    CString Format(LPCSTR pszFormat) const;
    // The user's locale format (VAR_DATEVALUEONLY, VAR_TIMEVALUEONLY flags).
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;
    // Through the system's date parser; FALSE (and invalid) when it fails.
    bool ParseDateTime(LPCSTR lpszDate, DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT);

    operator DATE() const { return m_dt; }
    COleDateTime operator+(const COleDateTimeSpan& s) const;
    COleDateTime operator-(const COleDateTimeSpan& s) const;
    COleDateTime& operator+=(const COleDateTimeSpan& s) { return *this = *this + s; }
    COleDateTime& operator-=(const COleDateTimeSpan& s) { return *this = *this - s; }
    COleDateTimeSpan operator-(const COleDateTime& d) const;
    bool operator==(const COleDateTime& d) const { return m_status == d.m_status && m_dt == d.m_dt; }
    bool operator!=(const COleDateTime& d) const { return !(*this == d); }
    bool operator<(const COleDateTime& d) const;
    bool operator>(const COleDateTime& d) const { return d < *this; }
    bool operator<=(const COleDateTime& d) const { return !(d < *this); }
    bool operator>=(const COleDateTime& d) const { return !(*this < d); }

    DATE m_dt;
    DateTimeStatus m_status;
};
