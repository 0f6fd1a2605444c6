// The built-in player on a 10-minute message whose WAV file exists, offscreen,
// with a sink that takes what it is handed:
//   start     from 再生 (the play command on the row, the played mark written)
//             to the first samples handed to the sink (target under 50 ms);
//   waveform  the peaks of the whole message for the window's width and one
//             paint of the waveform (target under 30 ms);
//   memory    what the window holds once open (target under 30 MB).
// There is no peer: the figures are against the targets. Prints the medians.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/testing/AudioFiles.h"
#include "bench/BenchTiming.h"
#include "lists/ConvertAndPlay.h"
#include "platform/testing/TempFolder.h"
#include "player/testing/RecordingSink.h"
#include "player/ui/CPlayerWnd.h"
#include "player/ui/WaveformView.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
constexpr int kRounds = 7;
constexpr std::uint32_t kRate = 8000;
constexpr int kSeconds = 600;

// Ten minutes of a voice-like signal as the decoder writes it: 8 kHz, 16-bit, one channel.
void writeMessageWav(const fs::path& wav) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(kRate) * kSeconds);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        samples[i] = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * 180 * t) * (0.6 + 0.4 * std::sin(t * 3)));
    }
    testkit::WriteWav8k(wav, samples);
}

// The list's side of a play: the window opens the built-in player.
class PlayerHost final : public ConversionHost {
public:
    explicit PlayerHost(ui::CPlayerWnd& window) : window_(window) {}
    void EnableMainWindow(bool) override {}
    void ActivateMainWindow() override {}
    void OpenConvertDialog(int) override {}
    void CloseConvertDialog() override {}
    bool BackupBreaksIn() override { return false; }
    void QueueWavForDeletion(const fs::path&) override {}
    InsidePlay PlayInside(const fs::path& wav, const FILESTS_INFO& record) override {
        const ui::PlayerTexts texts{record.boxNumber, record.partyNumber, record.date, record.title};
        return window_.Play(wav, texts, player::kNormalSpeed, player::kFullVolume) == player::Opened::Playing
                   ? InsidePlay::Started
                   : InsidePlay::NoDevice;
    }

private:
    ui::CPlayerWnd& window_;
};

}  // namespace
}  // namespace plova

int main(int argc, char** argv) {
    using namespace plova;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testkit::TempFolder dir{"bench-player"};
    const fs::path box = dir / "office" / "rusuroku" / "0001";
    fs::create_directories(box);
    const fs::path message = box / "202612071405_abc_0001_00001.vmdat";
    testkit::WriteMessage(message, testkit::SampleRecord(), testkit::SampleBlock(), 100);
    writeMessageWav(fs::path(message).replace_extension(".wav"));
    FILESTS_INFO row;
    CFileMng::ReadStatusRecord(message, row);
    row.filePath = message.u16string();
    PlaySettings settings;
    settings.builtIn = true;

    std::vector<double> start, waveform, memory;
    for (int round = 0; round < kRounds; ++round) {
        const double before = bench::ResidentMegabytes();
        {
            player::RecordingSink sink;
            ui::CPlayerWnd window(sink);
            window.resize(800, 300);
            PlayerHost host(window);
            start.push_back(bench::Seconds([&] {
                if (PlayCurrent(row, settings, host) != PlayResult::Played || sink.Pull(800).size() != 800)
                    std::fprintf(stderr, "the message did not play\n");
            }));
            QApplication::processEvents();
            memory.push_back(bench::ResidentMegabytes() - before);
            ui::WaveformView* view = window.Waveform();
            waveform.push_back(bench::Seconds([&] {
                view->SetClip(window.Session().Sound());
                (void)view->grab().toImage();
            }));
        }
        QApplication::processEvents();
    }
    // The first round shows a window for the first time in the process (style,
    // fonts) and asks the system for the clip's memory; later rounds reuse both.
    const double s = bench::Median(start) * 1000, w = bench::Median(waveform) * 1000;
    const double m = *std::max_element(memory.begin(), memory.end());
    std::printf("a %d-minute message (8 kHz, 16-bit), its WAV file there, %d rounds, offscreen\n", kSeconds / 60,
                kRounds);
    std::printf("再生 to the first samples at the sink   %6.1f ms  (target < 50 ms: %s)\n", s,
                s < 50 ? "met" : "MISSED");
    std::printf("  the first play in the process         %6.1f ms  (its window shown for the first time)\n",
                start.front() * 1000);
    std::printf("waveform: peaks and one paint        %6.1f ms  (target < 30 ms: %s)\n", w, w < 30 ? "met" : "MISSED");
    std::printf("memory the open window holds          %6.1f MB  (target < 30 MB: %s)\n", m, m < 30 ? "met" : "MISSED");
    return s < 50 && w < 30 && m < 30 ? 0 : 1;
}
