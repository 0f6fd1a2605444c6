// The numbers behind the link's typed results, as the login and listing
// callers that still speak in numbers read them.
#include <gtest/gtest.h>

#include "link/CFtpMng.h"
#include "link/FtpReply.h"

namespace plova {
namespace {

TEST(LinkResultCodes, EachLoginAndListingResultHasItsCode) {
    const struct {
        ftp::LoginResult result;
        int code;
    } logins[] = {
        {ftp::LoginResult::Ok, 0},
        {ftp::LoginResult::ConnectFailed, 1},
        {ftp::LoginResult::Refused, 2},
        {ftp::LoginResult::UnsupportedModel, 3},
    };
    for (const auto& r : logins) EXPECT_EQ(ftp::ResultCode(r.result), r.code) << r.code;

    const struct {
        ftp::ListResult result;
        int code;
    } listings[] = {
        {ftp::ListResult::Listed, 1},
        {ftp::ListResult::NoSuchDirectory, -2},
        {ftp::ListResult::NotStarted, 0},
        {ftp::ListResult::Failed, -1},
    };
    for (const auto& r : listings) EXPECT_EQ(ftp::ResultCode(r.result), r.code) << r.code;
}

// A store and a delete keep the refusing code beside the outcome; no answer
// must never pass for success.
TEST(LinkResultCodes, StoreAndDeleteRepliesBecomeOutcomes) {
    using ftp::DeleteOutcome;
    using ftp::StoreOutcome;
    const struct {
        ftp::Reply reply;
        ftp::StoreResult store;
        ftp::DeleteResult erase;
    } rows[] = {
        {ftp::kAccepted, {StoreOutcome::Stored, 0}, {DeleteOutcome::Deleted, 0}},
        {ftp::RefusedWith(450), {StoreOutcome::NotTaken, 450}, {DeleteOutcome::InUse, 450}},
        {ftp::RefusedWith(550), {StoreOutcome::Refused, 550}, {DeleteOutcome::Unavailable, 550}},
        {ftp::RefusedWith(553), {StoreOutcome::Refused, 553}, {DeleteOutcome::Refused, 553}},
        {ftp::kNoReply, {StoreOutcome::Failed, 0}, {DeleteOutcome::Failed, 0}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ftp::StoreResultOf(r.reply), r.store) << r.reply.code;
        EXPECT_EQ(ftp::DeleteResultOf(r.reply), r.erase) << r.reply.code;
    }
}

}  // namespace
}  // namespace plova
