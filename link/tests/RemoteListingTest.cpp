#include <gtest/gtest.h>

#include "link/RemoteListing.h"

namespace plova::listing {
namespace {

TEST(RemoteListing, MessageNamesKeepOnlyTheFixedForm) {
    const std::u16string listing =
        u"202401151030_ABC_0001_00001.vmdat\r\n"
        u"202401151030_ABC_0001_0001.vmdat\r\n"   // the response form in a box
        u"2024O1151030_ABC_0001_00002.vmdat\r\n"  // letter in the date
        u"202401151030_ABC_0001_00003.wav\r\n"
        u"202401151030-ABC_0001_00004.vminf\r\n";
    EXPECT_EQ(MessageNames(listing, NameForm::BoxMessage),
              std::vector<std::u16string>{u"202401151030_ABC_0001_00001.vmdat"});
    EXPECT_EQ(MessageNames(listing, NameForm::ResponseMessage),
              std::vector<std::u16string>{u"202401151030_ABC_0001_0001.vmdat"});
}

TEST(RemoteListing, HostileNamesNeverBecomePaths) {
    // What a hostile server might list; after the dots are removed some of
    // these still hold separators, colons or control characters.
    const std::u16string listing =
        u"../evil.vmdat\r\n"
        u"a/b.vmdat\r\n"
        u"..\\..\\202401151030_ABC_0001_00001.vmdat\r\n"
        u"C:202401151030_ABC_0001_00001.vmdat\r\n"
        u"/202401151030_ABC_0001_00001.vmdat\r\n"
        u"2024011510\x01"
        u"0_ABC_0001_00001.vmdat\r\n"
        u"202401151030_A/C_0001_00001.vmdat\r\n"
        u"202401151030_A:C_0001_00001.vmdat\r\n";
    EXPECT_TRUE(MessageNames(listing, NameForm::BoxMessage).empty());
    EXPECT_TRUE(MessageEntries(u"-rw-r--r--  1 kwtx kwtx     6144 Jan 15 10:30 x/202401151030_ABC_0001_00001.vmdat\r\n",
                               NameForm::BoxMessage)
                    .empty());

    EXPECT_EQ(BoxNames(u"0001\r\n../up\r\na/b\r\nC:\r\nx\x7fy\r\n0002\r\n"),
              (std::vector<std::u16string>{u"0001", u"0002"}));
    EXPECT_FALSE(IsSafeName(u".."));
    EXPECT_FALSE(IsSafeName(u""));
    EXPECT_TRUE(IsSafeName(u"留守録01"));
    EXPECT_TRUE(IsSafeName(u"box\U0001F4DE"));
    EXPECT_FALSE(IsSafeName(std::u16string(u"box") + char16_t(0xD83D)));
    EXPECT_FALSE(IsSafeName(std::u16string(1, char16_t(0xDCDE)) + u"box"));
}

TEST(RemoteListing, NoMoreBoxesOfAKindThanAMainUnitHolds) {
    std::u16string listing;
    for (std::size_t i = 0; i < kMaxBoxesPerKind; ++i) listing += u"box" + std::u16string(1, u'a' + i % 26) + u"\r\n";
    listing += u"../up\r\n\r\n";  // not names of boxes: they do not count
    EXPECT_FALSE(NamesTooManyBoxes(listing));
    EXPECT_TRUE(NamesTooManyBoxes(listing + u"0001\r\n"));
}

TEST(RemoteListing, LongLineGivesSizeFromColumns24To32AndNameFromTheEnd) {
    // The line as the main unit sends it; the client reads it after removing dots.
    const std::u16string listing =
        u"-rw-r--r--  1 kwtx kwtx    12345 Jan 15 10:30 202401151030_ABC_0001_00001.vmdat\r\n"
        u"-rw-r--r--  1 kwtx kwtx      256 Jan 15 10:30 202401151030_ABC_0001_00001.vminf\r\n"
        u"-rw-r--r--  1 kwtx kwtx          Jan 15 10:30 202401151030_ABC_0001_00002.vminf\r\n";
    const auto entries = MessageEntries(listing, NameForm::BoxMessage);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, u"202401151030_ABC_0001_00001.vmdat");
    EXPECT_EQ(entries[0].size, 12345);
    EXPECT_EQ(entries[1].size, 256);

    const auto response =
        MessageEntries(u"-rw-r--r--  1 kwtx kwtx   123456 Jan 15 10:30 202401151030_ABC_A001_0001.vmdat\r\n",
                       NameForm::ResponseMessage);
    ASSERT_EQ(response.size(), 1u);
    EXPECT_EQ(response[0].size, 123456);
}

}  // namespace
}  // namespace plova::listing
