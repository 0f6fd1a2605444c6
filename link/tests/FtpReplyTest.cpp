#include <gtest/gtest.h>

#include "link/FtpReply.h"

namespace plova::ftp {
namespace {

TEST(FtpReply, GreetingMustNameTheModelAfterCodeAndOneSeparator) {
    EXPECT_EQ(ClassifyReply(u"220 Kw-TX FTP server ready"), 0);
    EXPECT_EQ(ClassifyReply(u"220-Kw-TX welcome"), 0);
    EXPECT_EQ(ClassifyReply(u"220 Other FTP server"), 220);
    EXPECT_EQ(ClassifyReply(u"220  Kw-TX"), 220);  // two spaces: the model is not where it must be
    EXPECT_EQ(ClassifyReply(u"220"), 220);
    EXPECT_EQ(ClassifyReply(u"421 Too many users"), 421);
}

TEST(FtpReply, ALineWithoutACodeIsNoReply) {
    // Read as a number the usual way, these would become 0 and pass for "accepted".
    EXPECT_EQ(ClassifyReply(u"garbage without a code"), kNoReply);
    EXPECT_EQ(ClassifyReply(u""), kNoReply);
    EXPECT_EQ(ClassifyReply(u" 230 leading space"), kNoReply);
    EXPECT_EQ(ClassifyReply(u"23O typo"), kNoReply);
    EXPECT_EQ(ClassifyReply(u"9999999999 huge"), kNoReply);
}

}  // namespace
}  // namespace plova::ftp
