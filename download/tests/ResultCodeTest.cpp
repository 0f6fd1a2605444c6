// The numbers the download procedures' results stand for: every reason has
// its own enumerator, and each maps to the code the main unit's tools use.
#include <gtest/gtest.h>

#include "download/DownloadMng.h"

namespace plova {
namespace {

TEST(DownloadResultCodes, EachDownloadAndSizeResultHasItsCode) {
    const struct {
        DownloadResult result;
        int code;
    } rows[] = {
        {DownloadResult::Ok, 0},
        {DownloadResult::SomeMissing, 550},
        {DownloadResult::CommError, -1},
        {DownloadResult::NoDirectory, -2},
        {DownloadResult::ExistingConversionFailed, -2},
        {DownloadResult::Cancelled, -3},
        {DownloadResult::FreshConversionFailed, -3},
        {DownloadResult::NoSpace, -4},
    };
    for (const auto& r : rows) EXPECT_EQ(ResultCode(r.result), r.code) << static_cast<int>(r.result);
    // Every enumerator is in the table.
    EXPECT_EQ(std::size(rows), static_cast<std::size_t>(DownloadResult::FreshConversionFailed) + 1);

    const struct {
        SizeResult result;
        int code;
    } sizes[] = {
        {SizeResult::Found, 1},
        {SizeResult::NotListed, 0},
        {SizeResult::NoDirectory, -2},
        {SizeResult::CommError, -1},
    };
    for (const auto& r : sizes) EXPECT_EQ(ResultCode(r.result), r.code) << static_cast<int>(r.result);
}

}  // namespace
}  // namespace plova
