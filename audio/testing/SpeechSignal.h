// Test and benchmark material for the codec: a deterministic speech-like
// signal, its coded form, and the measures that say how close two signals are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace plova::testkit {

// `frames` × 80 samples of voiced speech-like sound at 8 kHz: a glottal pulse
// train with a gliding pitch through three formant resonators, in syllables
// of about a quarter second with short pauses. The same every time.
std::vector<std::int16_t> SynthesizeSpeech(std::size_t frames, double peak = 12000.0);

// The signal coded with our G.729 Annex A encoder: 10 bytes per 80 samples
// (a final partial frame is padded with zeros).
std::vector<std::uint8_t> EncodeSpeech(std::span<const std::int16_t> pcm);

// The same frames decoded by our codec layer alone, with no level and no
// erasure rule: the reference for everything built on it.
std::vector<std::int16_t> DecodeFramesDirectly(std::span<const std::uint8_t> frames);

// Every sample behind the "data" identifier of a WAV file (empty when there is none).
std::vector<std::int16_t> ReadWavSamples(const std::filesystem::path& wav);

// Pearson correlation of a[i] and b[i + lag] over the part where both exist.
double Correlation(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int lag = 0);

// The lag in 0..maxLag at which b best matches a (b delayed against a).
int BestLag(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int maxLag);

// Mean over 10 ms segments of the signal-to-noise ratio of b[i + lag] against
// a[i] in dB, each segment clamped to -10..35 dB; near-silent segments of a
// are skipped.
double SegmentalSnr(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int lag = 0);

}  // namespace plova::testkit
