#include <gtest/gtest.h>
#include <windows.h>

// The rig runs its programs in a zone with daylight saving that is not UTC
// (scripts/rig-env.sh), so that local time and UTC differ in every test: this
// checks that Wine took the zone over.
TEST(RigClock, LocalTimeIsNotUtcAndKeepsDaylightSaving) {
    TIME_ZONE_INFORMATION zone = {};
    DWORD kind = GetTimeZoneInformation(&zone);
    ASSERT_NE(TIME_ZONE_ID_INVALID, kind);
    EXPECT_NE(0, zone.Bias) << "the rig's clock is UTC";
    EXPECT_NE(0, zone.DaylightDate.wMonth) << "the rig's zone has no daylight saving";

    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    FILETIME u, l;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &u));
    ASSERT_TRUE(SystemTimeToFileTime(&local, &l));
    ULARGE_INTEGER a, b;
    a.LowPart = u.dwLowDateTime, a.HighPart = u.dwHighDateTime;
    b.LowPart = l.dwLowDateTime, b.HighPart = l.dwHighDateTime;
    const LONGLONG minutes = ((LONGLONG)b.QuadPart - (LONGLONG)a.QuadPart) / (60LL * 10000000);
    const LONG bias = zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias);
    EXPECT_NEAR(-bias, minutes, 1) << "local time and UTC differ by other than the zone's bias";
}
