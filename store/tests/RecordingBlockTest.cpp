#include <gtest/gtest.h>

#include "platform/InternetTime.h"
#include "store/RecordingBlock.h"

namespace plova {
namespace {

std::string asString(const BlockBytes& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

TEST(RecordingBlock, FieldsLandAtTheirOffsetsBigEndian) {
    RecordingBlock f;
    f.dateText = "Mon, 7 Dec 2026 14:05:00 +0900";
    f.partyName = "\x83\x65\x83\x58\x83\x67";  // "テスト" in CP932
    f.partyNumber = "0312345678";
    f.played = true;
    f.isProtected = true;
    f.recordingTenths = 0x01020304;
    f.boxNumber = 0x0A0B;
    f.boxDigits = "0123";
    const BlockBytes b = BuildBlock(f);

    EXPECT_EQ(asString(b).substr(0, 16), "Kw-TX Voice-data");
    EXPECT_EQ(asString(b).substr(32, 30), f.dateText);
    EXPECT_EQ(b[62], 0);
    EXPECT_EQ(asString(b).substr(64, 6), f.partyName);
    EXPECT_EQ(b[70], 0);
    EXPECT_EQ(asString(b).substr(96, 10), "0312345678");
    EXPECT_EQ(b[129], 0x03);
    EXPECT_EQ(b[130], 0x01);
    EXPECT_EQ(b[131], 0x02);
    EXPECT_EQ(b[132], 0x03);
    EXPECT_EQ(b[133], 0x04);
    EXPECT_EQ(b[134], 0x0A);
    EXPECT_EQ(b[135], 0x0B);
    EXPECT_EQ(asString(b).substr(138, 4), "0123");
    for (std::size_t i : {16u, 31u, 128u, 136u, 137u, 142u, 255u}) EXPECT_EQ(b[i], 0) << i;

    const RecordingBlock back = ParseBlock(asString(b));
    EXPECT_TRUE(back.hasMagic);
    EXPECT_EQ(back.dateText, f.dateText);
    EXPECT_EQ(back.partyName, f.partyName);
    EXPECT_EQ(back.partyNumber, f.partyNumber);
    EXPECT_TRUE(back.played);
    EXPECT_TRUE(back.isProtected);
    EXPECT_EQ(back.recordingTenths, 0x01020304u);
    EXPECT_EQ(back.boxNumber, 0x0A0B);
    EXPECT_EQ(back.boxDigits, "0123");
}

TEST(RecordingBlock, BuildingOverABlockKeepsTheBytesWeDoNotUse) {
    BlockBytes old;
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<std::uint8_t>(0xA0 + i % 7);
    RecordingBlock f;
    f.partyName = std::string(40, 'x');  // longer than the field: cut, never spills into the number
    const BlockBytes b = BuildBlock(f, old);
    for (std::size_t i = 16; i < 32; ++i) EXPECT_EQ(b[i], old[i]);
    EXPECT_EQ(b[128], old[128]);
    EXPECT_EQ(b[136], old[136]);
    EXPECT_EQ(b[137], old[137]);
    for (std::size_t i = 142; i < 256; ++i) EXPECT_EQ(b[i], old[i]);
    // Flag bits other than played and protected stay as received.
    EXPECT_EQ(b[129], old[129] & ~0x03);
    EXPECT_EQ(asString(b).substr(64, 32), std::string(32, 'x'));
    EXPECT_EQ(b[96], 0);
}

TEST(RecordingBlock, ParseCopesWithShortInputAndUnterminatedFields) {
    EXPECT_FALSE(ParseBlock("").hasMagic);
    EXPECT_FALSE(ParseBlock("Kw-TX Voice-dat").hasMagic);
    // The magic written as 16-bit characters is not the magic.
    std::string wide;
    for (char c : std::string("Kw-TX Voice-data")) wide += c, wide += '\0';
    EXPECT_FALSE(ParseBlock(wide).hasMagic);

    std::string full(256, '\xff');
    const RecordingBlock r = ParseBlock(full);
    EXPECT_EQ(r.partyName.size(), 32u);
    EXPECT_EQ(r.partyNumber.size(), 32u);
    EXPECT_EQ(r.boxDigits.size(), 4u);
    EXPECT_EQ(r.dateText.size(), 32u);
    EXPECT_EQ(r.recordingTenths, 0xFFFFFFFFu);
}

TEST(RecordingBlock, DateWriterPutsEachPartAtItsPlace) {
    LocalTime t;
    t.year = 2026, t.month = 12, t.day = 7, t.dayOfWeek = 1, t.hour = 9, t.minute = 5;
    const std::string d = MakeBlockDate(t);
    ASSERT_EQ(d.size(), 32u);
    EXPECT_EQ(d, std::string("Mon,\0"
                             "7\0\0"
                             "Dec\0"
                             "2026\0"
                             "09:05\0"
                             "+0900\0\0\0\0",
                             32));

    t.day = 25, t.month = 1, t.dayOfWeek = 0;
    const std::string d2 = MakeBlockDate(t);
    EXPECT_EQ(d2.substr(0, 12), std::string("Sun,\0"
                                            "25\0"
                                            "Jan\0",
                                            12));

    // What we write, the block reader parses back.
    auto parsed = ParseBlockDate(d);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->year, 2026);
    EXPECT_EQ(parsed->month, 12);
    EXPECT_EQ(parsed->day, 7);
    EXPECT_EQ(parsed->hour, 9);
    EXPECT_EQ(parsed->minute, 5);
}

}  // namespace
}  // namespace plova
