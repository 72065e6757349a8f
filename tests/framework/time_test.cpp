#include <gtest/gtest.h>
#include "framework/framework.h"

namespace {

TEST(Time, CTimeComponentsFormatAndArithmetic) {
    CTime t(2026, 3, 5, 7, 8, 9);
    EXPECT_STREQ("2026-03-05 07:08:09", t.Format("%Y-%m-%d %H:%M:%S"));
    EXPECT_STREQ("2026-03", t.Format("%Y-%m"));
    EXPECT_STREQ("05.03.26 100% %Q", t.Format("%d.%m.%y 100%% %Q"));  // unknown code kept
    EXPECT_EQ(2026, t.GetYear());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(5, t.GetDay());
    EXPECT_EQ(7, t.GetHour());
    EXPECT_EQ(8, t.GetMinute());
    EXPECT_EQ(9, t.GetSecond());
    EXPECT_EQ(5, t.GetDayOfWeek());  // a Thursday

    SYSTEMTIME st = {};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(2026, st.wYear);
    EXPECT_EQ(3, st.wMonth);
    EXPECT_EQ(5, st.wDay);
    EXPECT_EQ(4, st.wDayOfWeek);
    EXPECT_EQ(9, st.wSecond);
    EXPECT_EQ(t, CTime(st));

    CTime later = t + CTimeSpan(1, 2, 3, 4);
    EXPECT_STREQ("2026-03-06 09:11:13", later.Format("%Y-%m-%d %H:%M:%S"));
    CTimeSpan d = later - t;
    EXPECT_EQ(93784, d.GetTotalSeconds());
    EXPECT_EQ(1, d.GetDays());
    EXPECT_EQ(2, d.GetHours());
    EXPECT_EQ(3, d.GetMinutes());
    EXPECT_EQ(4, d.GetSeconds());
    EXPECT_STREQ("1 days 02:03:04 %", d.Format("%D days %H:%M:%S %%"));
    EXPECT_TRUE(t < later);
    EXPECT_STREQ("2026-02-28", (CTime(2026, 3, 1, 12, 0, 0) - CTimeSpan(1, 0, 0, 0)).Format("%Y-%m-%d"));

    EXPECT_EQ(-1, CTime(2026, 13, 1, 0, 0, 0).GetTime());
    EXPECT_STREQ("", CTime(2026, 13, 1, 0, 0, 0).Format("%Y"));

    CTime now = CTime::GetCurrentTime();
    EXPECT_GE(now.GetYear(), 2024);
}

TEST(Time, COleDateTimeValidityComponentsAndArithmetic) {
    struct Case {
        int y, mo, d, h, mi, s;
        bool valid;
    } cases[] = {
        {2026, 12, 10, 10, 15, 33, true}, {2024, 2, 29, 0, 0, 0, true},  {2026, 2, 29, 0, 0, 0, false},
        {2026, 4, 31, 0, 0, 0, false},    {2026, 1, 1, 24, 0, 0, false}, {2026, 1, 1, 0, 60, 0, false},
        {99, 1, 1, 0, 0, 0, false},       {1899, 12, 29, 6, 0, 0, true}, {9999, 12, 31, 23, 59, 59, true},
    };
    for (const Case& c : cases) {
        COleDateTime dt;
        int r = dt.SetDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(c.valid ? 0 : 1, r) << c.y << "-" << c.mo << "-" << c.d;
        EXPECT_EQ(c.valid ? COleDateTime::valid : COleDateTime::invalid, dt.GetStatus());
        if (c.valid) {
            EXPECT_EQ(c.y, dt.GetYear());
            EXPECT_EQ(c.mo, dt.GetMonth());
            EXPECT_EQ(c.d, dt.GetDay());
            EXPECT_EQ(c.h, dt.GetHour());
            EXPECT_EQ(c.mi, dt.GetMinute());
            EXPECT_EQ(c.s, dt.GetSecond());
        } else {
            EXPECT_EQ(-1, dt.GetYear());
            EXPECT_STREQ("Invalid DateTime", dt.Format("%Y"));
        }
    }

    COleDateTime dt(2026, 12, 10, 10, 15, 33);
    EXPECT_STREQ("2026-12-10 10:15:33 Thursday", dt.Format("%Y-%m-%d %H:%M:%S %A"));
    EXPECT_EQ(5, dt.GetDayOfWeek());
    EXPECT_EQ(344, dt.GetDayOfYear());
    EXPECT_DOUBLE_EQ(2.0, COleDateTime(1900, 1, 1, 0, 0, 0).m_dt);

    // Before the epoch the time of day stays a positive fraction.
    COleDateTime early(1899, 12, 29, 6, 0, 0);
    EXPECT_DOUBLE_EQ(-1.25, early.m_dt);
    COleDateTime crossed = early + COleDateTimeSpan(1, 0, 0, 0);
    EXPECT_STREQ("1899-12-30 06:00:00", crossed.Format("%Y-%m-%d %H:%M:%S"));
    COleDateTimeSpan gap = crossed - early;
    EXPECT_DOUBLE_EQ(1.0, gap.GetTotalDays());
    EXPECT_TRUE(early < crossed);

    COleDateTime next = dt + COleDateTimeSpan(0, 13, 44, 27);
    EXPECT_STREQ("2026-12-11 00:00:00", next.Format("%Y-%m-%d %H:%M:%S"));
    COleDateTimeSpan span = next - dt;
    EXPECT_EQ(0, span.GetDays());
    EXPECT_EQ(13, span.GetHours());
    EXPECT_EQ(44, span.GetMinutes());
    EXPECT_EQ(27, span.GetSeconds());

    COleDateTime bad;
    bad.SetDateTime(2026, 2, 30, 0, 0, 0);
    EXPECT_EQ(COleDateTime::invalid, (bad + COleDateTimeSpan(1.0)).GetStatus());
    EXPECT_EQ(COleDateTimeSpan::invalid, (dt - bad).GetStatus());

    SYSTEMTIME st = {};
    ASSERT_TRUE(dt.GetAsSystemTime(st));
    EXPECT_EQ(4, st.wDayOfWeek);
    EXPECT_EQ(33, st.wSecond);
    EXPECT_EQ(dt, COleDateTime(st));

    COleDateTime now = COleDateTime::GetCurrentTime();
    EXPECT_EQ(COleDateTime::valid, now.GetStatus());
    EXPECT_GE(now.GetYear(), 2024);
    EXPECT_FALSE(now.Format().IsEmpty());

    COleDateTime parsed;
    EXPECT_FALSE(parsed.ParseDateTime("not a date at all"));
    EXPECT_EQ(COleDateTime::invalid, parsed.GetStatus());
}

}  // namespace
