// The numbers behind the link's typed results, as the login and listing
// callers that still speak in numbers read them.
#include <gtest/gtest.h>

#include "link/CFtpMng.h"

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

}  // namespace
}  // namespace plova
