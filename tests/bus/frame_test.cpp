// Command frames and their CRC-16, byte for byte.
#include "bus/BusFrame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace VTMultiDrop;

namespace {

std::string Crc(const std::string& text)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X",
                  Crc16(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size())));
    return digits;
}

std::string Frame(const char* code, const char* data)
{
    char buffer[FrameBufferSize];
    EXPECT_TRUE(BuildFrame(code, buffer, sizeof buffer, data));
    return buffer;
}

std::string Expected(const std::string& length, const std::string& body, const std::string& crc)
{
    return std::string("\x05\x01") + length + "\x02" + body + "\x03" + crc + "\x04";
}

}  // namespace

TEST(Crc16, TableAndCheckValue)
{
    EXPECT_EQ(Crc16Table[0], 0x0000);
    EXPECT_EQ(Crc16Table[1], 0x1021);
    EXPECT_EQ(Crc16Table[2], 0x2042);
    EXPECT_EQ(Crc16Table[3], 0x3063);
    EXPECT_EQ(Crc16Table[255], 0x1EF0);
    EXPECT_EQ(Crc("123456789"), "31C3");
    EXPECT_EQ(Crc16(reinterpret_cast<const unsigned char*>("x"), 0), 0);
    EXPECT_EQ(Crc16(reinterpret_cast<const unsigned char*>("x"), -3), 0);
}

TEST(Crc16, UpdateIsOneTableStep)
{
    unsigned short crc = 0;
    for (char c : std::string("123456789"))
        Crc16Update(static_cast<unsigned char>(c), crc, Crc16Table);
    EXPECT_EQ(crc, 0x31C3);
}

TEST(BuildFrame, WorkedExamples)
{
    struct Case {
        const char* code;
        const char* data;
        std::string frame;
    } cases[] = {
        {"ST", "", Expected("03", "ST0", "F3B6")},
        {"RE", "01F4", Expected("07", "RE001F4", "A04A")},
        {"SD", "", Expected("03", "SD0", "F0C5")},
        // CRCs below 0x1000 keep their leading zeros; letters are upper case.
        {"RE", "0007", Expected("07", "RE00007", "05E6")},
        {"RE", "00AC", Expected("07", "RE000AC", "009D")},
        // Only the first two characters of the code count.
        {"STX", "", Expected("03", "ST0", "F3B6")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.data);
        EXPECT_EQ(Frame(c.code, c.data), c.frame);
    }
    EXPECT_EQ(Frame("ST", "").size(), 14u);
}

TEST(BuildFrame, LengthFieldIsHexOfDataPlusThree)
{
    const std::string data(17, 'A');
    const std::string frame = Frame("WT", data.c_str());
    EXPECT_EQ(frame.substr(2, 2), "14");
    EXPECT_EQ(frame.size(), 17u + 14u);
    const std::string longest(MaxFrameData, '1');
    EXPECT_EQ(Frame("WE", longest.c_str()).substr(2, 2), "FF");
}

TEST(BuildFrame, RejectsWhatCannotBeAFrame)
{
    char buffer[FrameBufferSize];
    const std::string tooLong(MaxFrameData + 1, '1');
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(BuildFrame("WE", buffer, sizeof buffer, tooLong.c_str()));
    EXPECT_EQ(buffer[0], 0);
    // A buffer one byte short of frame plus terminator.
    char small[FrameOverhead + 4];
    EXPECT_FALSE(BuildFrame("RE", small, sizeof small, "01F4"));
    EXPECT_EQ(small[0], 0);
    char exact[FrameOverhead + 5];
    EXPECT_TRUE(BuildFrame("RE", exact, sizeof exact, "01F4"));
    EXPECT_EQ(std::string(exact), Expected("07", "RE001F4", "A04A"));
    EXPECT_FALSE(BuildFrame("S", buffer, sizeof buffer, ""));
    EXPECT_FALSE(BuildFrame("", buffer, sizeof buffer, ""));
    EXPECT_FALSE(BuildFrame(nullptr, buffer, sizeof buffer, ""));
    EXPECT_FALSE(BuildFrame("ST", buffer, 0, ""));
    EXPECT_TRUE(BuildFrame("ST", buffer, sizeof buffer, nullptr));
    EXPECT_EQ(std::string(buffer), Expected("03", "ST0", "F3B6"));
}
