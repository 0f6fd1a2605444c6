#include <gtest/gtest.h>

#include "store/FILESTS_INFO.h"

namespace plova {
namespace {

std::string asString(const StatusRecordBytes& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// UTF-16LE of an ASCII text.
std::string le(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += c, out += '\0';
    return out;
}

TEST(StatusRecord, EachFieldSitsAtItsOffsetLittleEndian) {
    FILESTS_INFO r;
    r.flag = 1;
    r.played = 1;
    r.downloadState = 3;
    r.isProtected = 1;
    r.boxNumber = u"0123";
    r.boxName = u"NAME";
    r.partyNumber = u"0312";
    r.partyName = u"\u30C6";  // テ, 0x30C6 stored as C6 30
    r.date = u"2026/12/07 14:05";
    r.recordingTime = u"00:59:59";
    r.title = u"TITLE";
    r.memo = u"MEMO";
    r.filePath = u"/p";
    const std::string b = asString(r.ToBytes());
    ASSERT_EQ(b.size(), 990u);
    EXPECT_EQ(b.substr(0, 4), std::string("\x01\x01\x03\x01", 4));
    EXPECT_EQ(b.substr(4, 10), le("0123") + std::string(2, '\0'));
    EXPECT_EQ(b.substr(14, 10), le("NAME") + std::string(2, '\0'));
    EXPECT_EQ(b.substr(36, 8), le("0312"));
    EXPECT_EQ(b.substr(102, 4), std::string("\xC6\x30\0\0", 4));
    EXPECT_EQ(b.substr(168, 32), le("2026/12/07 14:05"));
    EXPECT_EQ(b.substr(208, 18), le("00:59:59") + std::string(2, '\0'));
    EXPECT_EQ(b.substr(226, 10), le("TITLE"));
    EXPECT_EQ(b.substr(308, 8), le("MEMO"));
    EXPECT_EQ(b.substr(470, 6), le("/p") + std::string(2, '\0'));
    EXPECT_EQ(FILESTS_INFO::FromBytes(b), r);
}

TEST(StatusRecord, LongTextsAreCutSoTheTerminatorAlwaysFits) {
    FILESTS_INFO r;
    r.boxName = u"ABCDEFGHIJKLMNOP";         // 16 > 10
    r.filePath = std::u16string(300, u'x');  // longer than the 259 characters of room
    r.recordingTime = u"123456:00:00";
    const std::string b = asString(r.ToBytes());
    EXPECT_EQ(b.substr(14, 20), le("ABCDEFGHIJ"));
    EXPECT_EQ(b.substr(34, 2), std::string(2, '\0'));
    EXPECT_EQ(b.substr(470, 518), le(std::string(259, 'x')));
    EXPECT_EQ(b.substr(988, 2), std::string(2, '\0'));
    const FILESTS_INFO back = FILESTS_INFO::FromBytes(b);
    EXPECT_EQ(back.boxName, u"ABCDEFGHIJ");
    EXPECT_EQ(back.filePath.size(), 259u);
    EXPECT_EQ(back.recordingTime, u"123456:0");
    EXPECT_EQ(r.Fitted(), back);
}

TEST(StatusRecord, CuttingNeverSplitsASurrogatePair) {
    FILESTS_INFO r;
    // Nine BMP characters then one outside it: the pair would straddle the cut.
    r.boxName = u"123456789\U0002000B";
    EXPECT_EQ(FILESTS_INFO::FromBytes(asString(r.ToBytes())).boxName, u"123456789");
    EXPECT_EQ(CutText(u"ab\U0002000B", 4), u"ab\U0002000B");
    EXPECT_EQ(CutText(u"ab\U0002000B", 3), u"ab");
}

TEST(StatusRecord, UnterminatedFieldsReadNoFurtherThanTheirWidth) {
    // Every byte 'A' 0x41: no field has a terminator.
    const std::string all(990, 'A');
    const FILESTS_INFO r = FILESTS_INFO::FromBytes(all);
    EXPECT_EQ(r.boxNumber.size(), 5u);
    EXPECT_EQ(r.boxName.size(), 11u);
    EXPECT_EQ(r.partyNumber.size(), 33u);
    EXPECT_EQ(r.partyName.size(), 33u);
    EXPECT_EQ(r.date.size(), 20u);
    EXPECT_EQ(r.recordingTime.size(), 9u);
    EXPECT_EQ(r.title.size(), 41u);
    EXPECT_EQ(r.memo.size(), 81u);
    EXPECT_EQ(r.filePath.size(), 260u);
    EXPECT_EQ(r.filePath[0], u'\x4141');

    // Short input reads as zero-padded.
    const FILESTS_INFO s = FILESTS_INFO::FromBytes(std::string("\x01\x00\x02", 3));
    EXPECT_EQ(s.flag, 1);
    EXPECT_EQ(s.downloadState, 2);
    EXPECT_TRUE(s.boxNumber.empty());
}

}  // namespace
}  // namespace plova
