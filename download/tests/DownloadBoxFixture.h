// The fixture of the box download tests: three messages in box 0001 of the
// simulated main unit and its local box folder.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>

#include "download/testing/DownloadTestSupport.h"

namespace plova::dltest {

constexpr std::size_t kSpeech = 6000;

class DownloadBoxTest : public ::testing::Test, public DownloadFixture {
protected:
    void SetUp() override {
        for (int n = 1; n <= 3; ++n)
            PutMessage(RemoteBox("rusuroku", "0001"), "0001", n, kSpeech + 500 * static_cast<std::size_t>(n));
        local = MakeLocalBox("rusuroku", "0001");
    }
    DownloadResult box(DownloadMng& d) { return d.DownloadBox(u"/rusuroku/0001", local, handled, listed); }
    fs::path file(int n, const char* ext) const { return local / MessageName("0001", n, ext); }

    fs::path local;
    int handled = 0;
    int listed = 0;
};

}  // namespace plova::dltest
