// Two processes converting one message at once. The second process is made
// with fork, which Windows lacks.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "audio/WavWriter.h"
#include "audio/testing/SpeechSignal.h"
#include "platform/testing/TestPorts.h"
#include "store/Conversion.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

// Two programs converting one message at once (a window and a script, say)
// each get the whole WAV file.
TEST(ConcurrentConversion, TwoConversionsOfOneMessageAtOnceBothSucceed) {
    TestPorts ports;
    TempFolder dir{"convert-twice"};
    const fs::path voice = dir / "202612071405_001_0012_00001.vmdat";
    const fs::path wav = dir / "202612071405_001_0012_00001.wav";
    const auto frames = EncodeSpeech(SynthesizeSpeech(3000));  // 30 seconds
    WriteBytes(voice, BytesOf(SampleRecord().ToBytes()) + BytesOf(BuildBlock(SampleBlock())) +
                          std::string(frames.begin(), frames.end()));
    ASSERT_TRUE(store::ConvertToWav(voice, 0));
    const std::string expected = ReadFileBytes(wav);
    for (int round = 0; round < 3; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(store::ConvertToWav(voice, 0) ? 0 : 1);
        const bool here = store::ConvertToWav(voice, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(here);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other conversion failed";
        EXPECT_TRUE(ReadFileBytes(wav) == expected) << "the WAV file is not the one conversion's whole result";
        for (const auto& e : fs::directory_iterator(dir.Path()))
            EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path() << " is left behind";
    }
}

}  // namespace
