#include <gtest/gtest.h>

#include <random>

#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/Sha256.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

// Both ways of doing the rounds: the processor's instructions where it has
// them, and the rounds written in C.
class Sha256Rounds : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { Sha256::UseProcessorInstructions(GetParam()); }
    void TearDown() override { Sha256::UseProcessorInstructions(true); }
};
INSTANTIATE_TEST_SUITE_P(ProcessorAndC, Sha256Rounds, ::testing::Bool());

TEST_P(Sha256Rounds, KnownDigests) {
    struct Case {
        std::string input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 56 bytes: the padding takes a second block
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqr"
         "stu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sha256::HexOf(c.input), c.digest) << c.input.size() << " bytes";
    }
}

TEST_P(Sha256Rounds, FedInPiecesAsInOne) {
    // Every split point of inputs around the block size, and pieces of random sizes.
    std::mt19937 random(7);
    std::string data(300, '\0');
    for (char& c : data) c = static_cast<char>(random());
    for (std::size_t length : {0, 1, 55, 56, 63, 64, 65, 119, 120, 128, 300}) {
        const std::string_view input(data.data(), length);
        const std::string whole = Sha256::HexOf(input);
        for (std::size_t split = 0; split <= length; ++split) {
            Sha256 h;
            h.Update(input.substr(0, split));
            h.Update(input.substr(split));
            ASSERT_EQ(Sha256::Hex(h.Finish()), whole) << length << " split at " << split;
        }
    }
    // The object starts over after its digest.
    Sha256 h;
    h.Update("junk");
    (void)h.Finish();
    h.Update("abc");
    EXPECT_EQ(Sha256::Hex(h.Finish()), Sha256::HexOf("abc"));
}

TEST(Sha256, FilesAsTheirBytesAndNothingElse) {
    testkit::TempFolder folder("sha");
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31);
    ASSERT_TRUE(WriteFileAtomically(folder / "big", big));
    EXPECT_EQ(Sha256OfFile(folder / "big"), Sha256::HexOf(big));
    ASSERT_TRUE(WriteFileAtomically(folder / "empty", ""));
    EXPECT_EQ(Sha256OfFile(folder / "empty"), Sha256::HexOf(""));
    EXPECT_FALSE(Sha256OfFile(folder / "missing"));
    EXPECT_FALSE(Sha256OfFile(folder.Path()));  // a folder
}

}  // namespace
}  // namespace plova
