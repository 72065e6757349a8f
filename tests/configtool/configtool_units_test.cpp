// The configuration tool's pieces without windows: the bit fields of the
// words, the command frame, the parser of the server's answers and the
// progress window's percentage.
#include "configtool/ConfigWords.h"
#include "configtool/ProgressDlg.h"
#include "configtool/ServerProtocol.h"
#include <gtest/gtest.h>

namespace {
using namespace ConfigWords;
using ServerProtocol::ServerReply;

// Every word whose unshown bits are clear comes back as it was; the unshown
// bits go.
TEST(ConfigWords, FieldsRoundTripEveryWord) {
    struct Layout {
        const char* name;
        WORD unshown;
        WORD (*roundTrip)(WORD);
    } layouts[] = {
        {"action", 0x40C0, [](WORD w) { return PackAction(UnpackAction(w)); }},
        {"configuration", 0x1088, [](WORD w) { return PackConfiguration(UnpackConfiguration(w)); }},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        for (unsigned w = 0; w <= 0xFFFF; ++w)
            ASSERT_EQ(w & ~layout.unshown, layout.roundTrip((WORD)w)) << w;
    }
}

// A list without a selection gives -1: only its own field may change.
TEST(ConfigWords, AnUnselectedListStaysInItsField) {
    struct {
        int ActionFields::*field;
        WORD before, after;
    } actions[] = {{&ActionFields::relay1Egress, 0x0303, 0x030F},
                   {&ActionFields::registration, 0x0000, 0x8000},
                   {&ActionFields::relay2Sensor, 0x0303, 0x3303}};
    for (const auto& c : actions) {
        ActionFields f = UnpackAction(c.before);
        f.*c.field = -1;
        EXPECT_EQ(c.after, PackAction(f));
    }
    struct {
        int ConfigurationFields::*field;
        WORD after;  // from 0
    } configs[] = {{&ConfigurationFields::relay2Time, 0x0070}, {&ConfigurationFields::master, 0x2000},
                   {&ConfigurationFields::doorOpenTimeout, 0x0700}};
    for (const auto& c : configs) {
        ConfigurationFields f = UnpackConfiguration(0);
        f.*c.field = -1;
        EXPECT_EQ(c.after, PackConfiguration(f));
    }
}

TEST(ServerProtocol, CommandFrame) {
    EXPECT_EQ(CString("VeTr 1 0000000 Ob21 3 12 RE 496 0 VTEnd"), ServerProtocol::CommandFrame(3, 12, "RE", 496, 0));
    EXPECT_EQ(CString("VeTr 1 0000000 Ob21 1 1 WE 497 33539 VTEnd"),
              ServerProtocol::CommandFrame(1, 1, "WE", 497, 0x8303));
}

TEST(ServerProtocol, AnswerTable) {
    struct Case {
        const char* text;
        ServerReply::Kind kind;
        const char* date;
        const char* time;
        const char* device;
        const char* version;
        int location, value;
    } cases[] = {
        {"ST 01.02.2024 10:11:12 HEAD FW1 extra", ServerReply::Status, "01.02.2024", "10:11:12", "HEAD", "FW1", 0, 0},
        {"ST", ServerReply::Status, "", "", "", "", 0, 0},
        {"ST  10:11:12", ServerReply::Status, "", "10:11:12", "", "", 0, 0},
        {"RE 5 497 771", ServerReply::Read, "", "", "", "", 497, 771},
        {"WE 5 508 65535", ServerReply::Written, "", "", "", "", 508, 65535},
        {"RE 5 600 1", ServerReply::Read, "", "", "", "", 600, 1},
        {"RE 5", ServerReply::Read, "", "", "", "", 0, 0},
        {"RE x y z", ServerReply::Read, "", "", "", "", 0, 0},
        {"ERR 3 12 ", ServerReply::Error, "", "", "", "", 0, 0},
        {"ERR", ServerReply::Error, "", "", "", "", 0, 0},
        {"garbage", ServerReply::Ignored, "", "", "", "", 0, 0},
        {"", ServerReply::Ignored, "", "", "", "", 0, 0},
        {"st 1 2 3 4", ServerReply::Ignored, "", "", "", "", 0, 0},
        {" RE 5 497 1", ServerReply::Ignored, "", "", "", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ServerReply r = ServerProtocol::ParseReply(c.text);
        EXPECT_EQ(c.kind, r.kind);
        EXPECT_EQ(CString(c.date), r.status.date);
        EXPECT_EQ(CString(c.time), r.status.time);
        EXPECT_EQ(CString(c.device), r.status.device);
        EXPECT_EQ(CString(c.version), r.status.version);
        EXPECT_EQ(c.location, r.location);
        EXPECT_EQ(c.value, r.value);
    }
}

// Range 496 to 508, twelve steps of one after the first answer.
TEST(ProgressDlg, PercentageOfTheThirteenWords) {
    const char* expected[] = {"0%", "8%", "16%", "25%", "33%", "41%", "50%", "58%", "66%", "75%", "83%", "91%", "100%"};
    for (int position = 496; position <= 508; ++position)
        EXPECT_EQ(CString(expected[position - 496]), CProgressDlg::PercentText(position, 496, 508)) << position;
    EXPECT_EQ(CString("0%"), CProgressDlg::PercentText(5, 5, 5)) << "an empty range";
}

}  // namespace
