// A registration file of every kind of line, its period, and what the
// import sends of it.
#pragma once
#include "server/app/RegistrationImport.h"
#include <string>
#include <vector>

namespace import_fixture {

// A January 2022 file that also holds December 2021 lines. The controller
// keeps the year modulo 4, so the year comes from the time each line was
// written (last field), else from the file's month.
inline const char* const FixtureLines[] = {
    "Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL",
    "",
    // raw field one character short
    "0015010212000,,2022-01-15 12:00:00,001,005,00,2022-01-15 12:00:01",
    // a quote in the card number
    "001501021200000000'2345678,0000'2345678,2022-01-15 12:00:00,001,005,00,2022-01-15 12:00:02",
    // 31 February
    "00310202120000000000000001,000000000001,2022-02-31 12:00:00,001,005,00,2022-01-15 12:00:03",
    // the December before, card-less event 0x80
    "80151201093000,000000000000,2021-12-15 09:30:00,003,007,80,2021-12-15 09:30:05",
    // a second before the period, the period's first second
    "00301101235959000000000002,000000000002,2021-11-30 23:59:59,001,005,00,2021-12-01 00:00:02",
    "00011201000000000000000003,000000000003,2021-12-01 00:00:00,001,005,00,2021-12-01 00:00:03",
    // the period's last second, a second after it
    "01310102235959000000000042,000000000042,2022-01-31 23:59:59,002,006,01,2022-02-01 00:00:01",
    "00010202000000000000000004,000000000004,2022-02-01 00:00:00,002,006,00,2022-02-01 00:00:03",
    // no time of writing: the file's month gives the year
    "00200102080000000000000005,000000000005,2022-01-20 08:00:00,002,006,00,yesterday",
    // no port and controller
    "x,y,z,abc,def,00,2022-01-20 08:00:00",
};

inline const ImportPeriod Period = {"2021-12-01 00:00:00", "2022-01-31 23:59:59"};

inline const std::vector<std::string> Sent = {
    "exec spDorvikReg2 '''2345678', '2022-01-15', '2022-01-15 12:00:00', '999', 5, 0, '00'",
    "exec spDorvikReg2 '00000000', '2021-12-15', '2021-12-15 09:30:00', '999', 7, 128, '80'",
    "exec spDorvikReg2 '00000003', '2021-12-01', '2021-12-01 00:00:00', '999', 5, 0, '00'",
    "exec spDorvikReg2 '00000042', '2022-01-31', '2022-01-31 23:59:59', '999', 6, 1, '01'",
    "exec spDorvikReg2 '00000005', '2022-01-20', '2022-01-20 08:00:00', '999', 6, 0, '00'",
};
inline const int LinesRead = 9;

} // namespace import_fixture
