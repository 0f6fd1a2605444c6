// Speech-like audio for the demo main unit: a glottal pulse train with a
// wandering pitch, shaped by three formant resonators that glide between
// Japanese vowels, in syllables with their own loudness envelopes, some with
// a noisy consonant in front, grouped into phrases with short breaths
// between them. Not speech, but it exercises the codec the way speech does:
// never silence, never plain noise. The same seed gives the same samples.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace plova::sim {

constexpr int kSampleRate = 8000;

class SpeechSynth {
public:
    explicit SpeechSynth(std::uint32_t seed);

    // `seconds` of 8000 Hz 16-bit mono audio, rounded to whole 10 ms frames.
    std::vector<std::int16_t> Speak(double seconds);

private:
    double uniform(double low, double high);
    std::mt19937 rng_;
};

}  // namespace plova::sim
