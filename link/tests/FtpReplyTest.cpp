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

TEST(FtpReply, AcceptedCodesAndRefusals) {
    for (const char16_t* line : {u"120 x", u"125 x", u"150 x", u"200 x", u"230 x", u"250 x", u"331 x", u"350 x"})
        EXPECT_EQ(ClassifyReply(line), 0) << static_cast<int>(line[0]);
    EXPECT_EQ(ClassifyReply(u"226 done"), 226);  // only the end of a transfer accepts it
    EXPECT_EQ(ClassifyReply(u"530 Login incorrect"), 530);
    EXPECT_EQ(ClassifyReply(u"550-No such file"), 550);
}

TEST(FtpReply, ALineWithoutACodeIsNoReply) {
    // Read as a number the usual way, these would become 0 and pass for "accepted".
    EXPECT_EQ(ClassifyReply(u"garbage without a code"), kNoReply);
    EXPECT_EQ(ClassifyReply(u""), kNoReply);
    EXPECT_EQ(ClassifyReply(u" 230 leading space"), kNoReply);
    EXPECT_EQ(ClassifyReply(u"23O typo"), kNoReply);
    EXPECT_EQ(ClassifyReply(u"9999999999 huge"), kNoReply);
}

TEST(FtpReply, TransferEndAlsoAccepts220And226) {
    EXPECT_EQ(ClassifyTransferEnd(u"226 Transfer complete"), 0);
    EXPECT_EQ(ClassifyTransferEnd(u"220 anything"), 0);
    EXPECT_EQ(ClassifyTransferEnd(u"250 ok"), 0);
    EXPECT_EQ(ClassifyTransferEnd(u"450 busy"), 450);
    EXPECT_EQ(ClassifyTransferEnd(u"no code"), kNoReply);
}

}  // namespace
}  // namespace plova::ftp
