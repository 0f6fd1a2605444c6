#include "audio/testing/SpeechSignal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/G729Codec.h"
#include "audio/WavReader.h"

namespace plova::testkit {

namespace {
constexpr double kRate = 8000.0;

// A two-pole resonator at `freq` with bandwidth `bw`, unity gain near its peak.
struct Resonator {
    double a1, a2, g, y1 = 0, y2 = 0;
    Resonator(double freq, double bw) {
        const double r = std::exp(-std::numbers::pi * bw / kRate);
        a1 = 2 * r * std::cos(2 * std::numbers::pi * freq / kRate);
        a2 = -r * r;
        g = 1 - r;
    }
    double Step(double x) {
        const double y = g * x + a1 * y1 + a2 * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};
}  // namespace

std::vector<std::int16_t> SynthesizeSpeech(std::size_t frames, double peak) {
    const std::size_t n = frames * kFrameSamples;
    std::vector<double> x(n);
    Resonator f1(700, 90), f2(1220, 110), f3(2600, 160);
    double phase = 0;
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double pitch =
            150 + 45 * std::sin(2 * std::numbers::pi * 0.7 * t) + 15 * std::sin(2 * std::numbers::pi * 3.1 * t);
        phase += pitch / kRate;
        double source = 0;
        if (phase >= 1) {
            phase -= 1;
            source = 1;
        }
        noise = noise * 1664525u + 1013904223u;
        source += 0.02 * ((static_cast<double>(noise >> 8) / (1u << 24)) - 0.5);
        const double v = f1.Step(source) + 0.6 * f2.Step(source) + 0.3 * f3.Step(source);
        // Syllables: 0.25 s on, a short pause between them.
        const double syllable = std::fmod(t, 0.32);
        const double envelope = syllable < 0.25 ? std::sin(std::numbers::pi * syllable / 0.25) : 0.0;
        x[i] = v * envelope;
    }
    const double top = std::max(
        1e-9, *std::max_element(x.begin(), x.end(), [](double a, double b) { return std::abs(a) < std::abs(b); }));
    const double scale = peak / std::abs(top);
    std::vector<std::int16_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(std::lround(x[i] * scale), -32768l, 32767l));
    return out;
}

std::vector<std::uint8_t> EncodeSpeech(std::span<const std::int16_t> pcm) {
    const std::size_t frames = (pcm.size() + kFrameSamples - 1) / kFrameSamples;
    std::vector<std::uint8_t> out(frames * kFrameBytes);
    G729Encoder enc;
    std::array<std::int16_t, kFrameSamples> frame{};
    for (std::size_t f = 0; f < frames; ++f) {
        frame.fill(0);
        const std::size_t from = f * kFrameSamples;
        const std::size_t to = std::min(pcm.size(), from + kFrameSamples);
        std::copy(pcm.data() + from, pcm.data() + to, frame.begin());
        enc.Encode(frame, std::span<std::uint8_t, kFrameBytes>(out.data() + f * kFrameBytes, kFrameBytes));
    }
    return out;
}

std::vector<std::int16_t> DecodeFramesDirectly(std::span<const std::uint8_t> frames) {
    const std::size_t count = frames.size() / kFrameBytes;
    std::vector<std::int16_t> out(count * kFrameSamples);
    G729Decoder dec;
    for (std::size_t f = 0; f < count; ++f)
        dec.Decode(std::span<const std::uint8_t, kFrameBytes>(frames.data() + f * kFrameBytes, kFrameBytes), false,
                   std::span<std::int16_t, kFrameSamples>(out.data() + f * kFrameSamples, kFrameSamples));
    return out;
}

std::vector<std::int16_t> ReadWavSamples(const std::filesystem::path& wav) {
    std::vector<std::int16_t> out;
    WavReader reader;
    if (!reader.Open(wav)) return out;
    std::vector<std::int16_t> chunk(8192);
    for (long n; (n = reader.Read(chunk)) > 0;) out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    return out;
}

double Correlation(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int lag) {
    if (lag < 0 || static_cast<std::size_t>(lag) >= b.size()) return 0;
    const std::size_t n = std::min(a.size(), b.size() - lag);
    if (n == 0) return 0;
    double sa = 0, sb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sa += a[i];
        sb += b[i + lag];
    }
    const double ma = sa / static_cast<double>(n), mb = sb / static_cast<double>(n);
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = a[i] - ma, y = b[i + lag] - mb;
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

int BestLag(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int maxLag) {
    int best = 0;
    double bestC = -2;
    for (int lag = 0; lag <= maxLag; ++lag) {
        const double c = Correlation(a, b, lag);
        if (c > bestC) {
            bestC = c;
            best = lag;
        }
    }
    return best;
}

double SegmentalSnr(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int lag) {
    if (lag < 0 || static_cast<std::size_t>(lag) >= b.size()) return -10;
    const std::size_t n = std::min(a.size(), b.size() - lag);
    double total = 0;
    int segments = 0;
    for (std::size_t from = 0; from + kFrameSamples <= n; from += kFrameSamples) {
        double sig = 0, err = 0;
        for (std::size_t i = from; i < from + kFrameSamples; ++i) {
            const double d = static_cast<double>(a[i]) - b[i + lag];
            sig += static_cast<double>(a[i]) * a[i];
            err += d * d;
        }
        if (sig < kFrameSamples * 100.0 * 100.0) continue;  // quieter than about -50 dBFS
        const double snr = err == 0 ? 35.0 : 10 * std::log10(sig / err);
        total += std::clamp(snr, -10.0, 35.0);
        ++segments;
    }
    return segments ? total / segments : -10;
}

}  // namespace plova::testkit
