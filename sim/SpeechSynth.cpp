#include "sim/SpeechSynth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plova::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFrame = 80;             // 10 ms
constexpr double kPeak = 14000.0;      // about -7 dBFS: loud, with headroom for the codec
constexpr double kBreathLevel = 0.01;  // pauses are quiet breath, not digital silence

struct Vowel {
    double f1, f2, f3;
};
// Japanese a, i, u, e, o (adult male; other voices scale them).
constexpr std::array<Vowel, 5> kVowels = {
    {{800, 1200, 2500}, {300, 2300, 3000}, {350, 1300, 2300}, {500, 1900, 2600}, {500, 850, 2500}}};

// A two-pole resonator: one formant.
class Resonator {
public:
    double Step(double x, double frequency, double bandwidth) {
        const double r = std::exp(-kPi * bandwidth / kSampleRate);
        const double b1 = 2.0 * r * std::cos(2.0 * kPi * frequency / kSampleRate);
        const double b2 = -r * r;
        const double y = (1.0 - r) * x + b1 * y1_ + b2 * y2_;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double y1_ = 0, y2_ = 0;
};

// Derivative of a Rosenberg glottal pulse at phase `p` (0..1): the excitation
// that voiced speech starts from.
double glottalFlow(double p) {
    constexpr double open = 0.4, close = 0.16;
    if (p < open) return 0.5 * (1.0 - std::cos(kPi * p / open));
    if (p < open + close) return std::cos(kPi * (p - open) / (2.0 * close));
    return 0.0;
}

}  // namespace

SpeechSynth::SpeechSynth(std::uint32_t seed) : rng_(seed) {}

double SpeechSynth::uniform(double low, double high) {
    // From the raw generator: the standard distributions differ between libraries.
    return low + (high - low) * (static_cast<double>(rng_()) / 4294967296.0);
}

std::vector<std::int16_t> SpeechSynth::Speak(double seconds) {
    const std::size_t frames = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(seconds * 100.0)));
    const std::size_t total = frames * kFrame;
    std::vector<double> out(total, 0.0);

    // One voice per message.
    const bool higherVoice = uniform(0, 1) < 0.5;
    const double baseF0 = higherVoice ? uniform(180, 240) : uniform(95, 140);
    const double formantScale = higherVoice ? 1.15 : 1.0;

    Resonator r1, r2, r3;
    double phase = 0.0;
    double previousFlow = 0.0;
    double noiseState = 0.0;
    std::size_t n = 0;
    Vowel current = kVowels[static_cast<std::size_t>(uniform(0, 5)) % 5];

    auto breath = [&](std::size_t count) {
        for (std::size_t i = 0; i < count && n < total; ++i, ++n) out[n] = kBreathLevel * uniform(-1, 1);
    };

    breath(static_cast<std::size_t>(uniform(0.05, 0.2) * kSampleRate));
    while (n < total) {
        // A phrase: a few syllables under one falling pitch contour.
        const int syllables = static_cast<int>(uniform(3, 9));
        const double phraseF0 = baseF0 * uniform(0.95, 1.15);
        for (int s = 0; s < syllables && n < total; ++s) {
            const Vowel target = kVowels[static_cast<std::size_t>(uniform(0, 5)) % 5];
            const double length = uniform(0.12, 0.28) * kSampleRate;
            const std::size_t count = static_cast<std::size_t>(length);
            const double accent = uniform(0.9, 1.15);
            const double declination = 1.0 - 0.25 * s / syllables;
            // Some syllables start with a fricative or a burst: a short stretch of shaped noise.
            const std::size_t consonant =
                uniform(0, 1) < 0.6 ? static_cast<std::size_t>(uniform(0.02, 0.07) * kSampleRate) : 0;
            const double loudness = uniform(0.6, 1.0);
            for (std::size_t i = 0; i < count && n < total; ++i, ++n) {
                const double t = static_cast<double>(i) / static_cast<double>(count);
                // Formants glide from the previous vowel to this one in the first third.
                const double glide = std::min(1.0, t * 3.0);
                const double f1 = (current.f1 + (target.f1 - current.f1) * glide) * formantScale;
                const double f2 = (current.f2 + (target.f2 - current.f2) * glide) * formantScale;
                const double f3 = (current.f3 + (target.f3 - current.f3) * glide) * formantScale;
                const double f0 = phraseF0 * declination * accent * (1.0 + 0.04 * std::sin(2 * kPi * t)) *
                                  (1.0 + 0.01 * uniform(-1, 1));
                phase += f0 / kSampleRate;
                if (phase >= 1.0) phase -= 1.0;
                const double flow = glottalFlow(phase);
                double source = (flow - previousFlow) * 8.0;
                previousFlow = flow;
                // Raised-cosine attack and release around each syllable.
                double envelope = 1.0;
                if (t < 0.15)
                    envelope = 0.5 * (1 - std::cos(kPi * t / 0.15));
                else if (t > 0.75)
                    envelope = 0.5 * (1 + std::cos(kPi * (t - 0.75) / 0.25));
                double sample;
                if (i < consonant) {
                    const double white = uniform(-1, 1);
                    const double bright = white - noiseState;  // tilted towards high frequencies, as a fricative
                    noiseState = white;
                    sample = 0.35 * bright + 0.1 * r1.Step(source, f1, 90);
                } else {
                    sample = r1.Step(source, f1, 90) + 0.6 * r2.Step(source, f2, 110) + 0.3 * r3.Step(source, f3, 160);
                }
                out[n] = loudness * envelope * sample + kBreathLevel * 0.2 * uniform(-1, 1);
            }
            current = target;
        }
        breath(static_cast<std::size_t>(uniform(0.12, 0.35) * kSampleRate));
    }

    double peak = 0.0;
    for (double v : out) peak = std::max(peak, std::abs(v));
    const double gain = peak > 0 ? kPeak / peak : 0.0;
    std::vector<std::int16_t> pcm(total);
    for (std::size_t i = 0; i < total; ++i) {
        pcm[i] = static_cast<std::int16_t>(std::clamp(std::lround(out[i] * gain), -32768L, 32767L));
    }
    return pcm;
}

}  // namespace plova::sim
