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

TEST(ConfigWords, ActionFieldsRoundTripEveryWord) {
    // Every word with bits 6, 7 and 14 clear comes back as it was.
    for (unsigned w = 0; w <= 0xFFFF; ++w) {
        if (w & 0x40C0) continue;
        ASSERT_EQ(w, PackAction(UnpackAction((WORD)w))) << w;
    }
    EXPECT_EQ(0x0303, PackAction(UnpackAction(0x43C3))) << "bits no control shows go";
}

TEST(ConfigWords, ConfigurationFieldsRoundTripEveryWord) {
    for (unsigned w = 0; w <= 0xFFFF; ++w) {
        if (w & 0x1088) continue;
        ASSERT_EQ(w, PackConfiguration(UnpackConfiguration((WORD)w))) << w;
    }
    EXPECT_EQ(0x0800, PackConfiguration(UnpackConfiguration(0x0888)));
}

// A list without a selection gives -1: only its own field may change.
TEST(ConfigWords, AnUnselectedListStaysInItsField) {
    ActionFields action = UnpackAction(0x0303);
    action.relay1Egress = -1;
    EXPECT_EQ(0x030F, PackAction(action));
    action = UnpackAction(0x0000);
    action.registration = -1;
    EXPECT_EQ(0x8000, PackAction(action));
    ConfigurationFields config = UnpackConfiguration(0x0000);
    config.relay2Time = -1;
    EXPECT_EQ(0x0070, PackConfiguration(config));
    config = UnpackConfiguration(0x0000);
    config.master = -1;
    EXPECT_EQ(0x2000, PackConfiguration(config));
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
