#include <gtest/gtest.h>

#include "link/FtpReply.h"

namespace plova::ftp {
namespace {

TEST(FtpReply, GreetingMustNameTheModelAfterCodeAndOneSeparator) {
    EXPECT_EQ(ClassifyReply(u"220 Kw-TX FTP server ready"), kAccepted);
    EXPECT_EQ(ClassifyReply(u"220-Kw-TX welcome"), kAccepted);
    EXPECT_EQ(ClassifyReply(u"220 Other FTP server"), RefusedWith(220));
    EXPECT_EQ(ClassifyReply(u"220  Kw-TX"), RefusedWith(220));  // two spaces: the model is not where it must be
    EXPECT_EQ(ClassifyReply(u"220"), RefusedWith(220));
    EXPECT_EQ(ClassifyReply(u"421 Too many users"), RefusedWith(421));
}

TEST(FtpReply, ALineWithoutACodeIsNoReply) {
    // Read as a number the usual way, these would become 0 and pass for "accepted".
    for (const std::u16string_view line :
         {u"garbage without a code", u"", u" 230 leading space", u"23O typo", u"9999999999 huge"}) {
        EXPECT_EQ(ClassifyReply(line), kNoReply);
        EXPECT_EQ(ClassifyTransferEnd(line), kNoReply);
        EXPECT_FALSE(ReplyCode(line).has_value());
    }
}

TEST(FtpReply, ATransferEndAlsoAcceptsItsOwnCodes) {
    EXPECT_EQ(ClassifyTransferEnd(u"226 Transfer complete"), kAccepted);
    EXPECT_EQ(ClassifyTransferEnd(u"220 Other FTP server"), kAccepted);
    EXPECT_EQ(ClassifyReply(u"226 Transfer complete"), RefusedWith(226));
    EXPECT_EQ(ClassifyTransferEnd(u"450 busy"), RefusedWith(450));
    EXPECT_TRUE(RefusedWith(450).RefusedWith(450));
    EXPECT_FALSE(kAccepted.RefusedWith(0));
}

}  // namespace
}  // namespace plova::ftp
