#include "platform/Sha256.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#endif

#include <cstring>
#include <vector>

#include "platform/File.h"

namespace plova {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<std::uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

// Files are read this much at a time.
constexpr std::size_t kReadChunk = std::size_t{1} << 16;

constexpr std::uint32_t rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

std::uint32_t bigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

Sha256::Sha256() {
    reset();
}

void Sha256::reset() {
    state_ = kInitial;
    buffered_ = 0;
    length_ = 0;
}

namespace {

using State = std::array<std::uint32_t, 8>;

constexpr std::uint32_t ch(std::uint32_t e, std::uint32_t f, std::uint32_t g) {
    return g ^ (e & (f ^ g));
}
constexpr std::uint32_t maj(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return (a & b) | (c & (a | b));
}
constexpr std::uint32_t bigSigma0(std::uint32_t x) {
    return rotr(x, 2) ^ rotr(x, 13) ^ rotr(x, 22);
}
constexpr std::uint32_t bigSigma1(std::uint32_t x) {
    return rotr(x, 6) ^ rotr(x, 11) ^ rotr(x, 25);
}
constexpr std::uint32_t smallSigma0(std::uint32_t x) {
    return rotr(x, 7) ^ rotr(x, 18) ^ (x >> 3);
}
constexpr std::uint32_t smallSigma1(std::uint32_t x) {
    return rotr(x, 17) ^ rotr(x, 19) ^ (x >> 10);
}

// One round, with the roles of the eight working words passed in turn
// rather than the words moved: eight rounds bring every word back to its place.
// `kw` is the round's constant plus its message word.
inline void oneRound(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t& d, std::uint32_t e,
                     std::uint32_t f, std::uint32_t g, std::uint32_t& h, std::uint32_t kw) {
    const std::uint32_t t1 = h + bigSigma1(e) + ch(e, f, g) + kw;
    d += t1;
    h = t1 + bigSigma0(a) + maj(a, b, c);
}

void compressPortable(State& state, const std::uint8_t* block, std::size_t blocks) {
    std::uint32_t w[64];
    for (; blocks > 0; --blocks, block += 64) {
        for (std::size_t i = 0; i < 16; ++i) w[i] = bigEndian(block + 4 * i);
        for (int i = 16; i < 64; ++i) w[i] = w[i - 16] + smallSigma0(w[i - 15]) + w[i - 7] + smallSigma1(w[i - 2]);
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (std::size_t i = 0; i < 64; i += 8) {
            oneRound(a, b, c, d, e, f, g, h, kRound[i] + w[i]);
            oneRound(h, a, b, c, d, e, f, g, kRound[i + 1] + w[i + 1]);
            oneRound(g, h, a, b, c, d, e, f, kRound[i + 2] + w[i + 2]);
            oneRound(f, g, h, a, b, c, d, e, kRound[i + 3] + w[i + 3]);
            oneRound(e, f, g, h, a, b, c, d, kRound[i + 4] + w[i + 4]);
            oneRound(d, e, f, g, h, a, b, c, kRound[i + 5] + w[i + 5]);
            oneRound(c, d, e, f, g, h, a, b, kRound[i + 6] + w[i + 6]);
            oneRound(b, c, d, e, f, g, h, a, kRound[i + 7] + w[i + 7]);
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The processor's own SHA-256 instructions (x86 SHA extensions), used when
// the processor has them: several times the speed of the rounds in C.
bool hasShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool sse41 = (c & bit_SSE4_1) != 0, ssse3 = (c & bit_SSSE3) != 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return sse41 && ssse3 && (b & bit_SHA) != 0;
}

// Four rounds of the message words in `msg`, with their constants from `k`.
__attribute__((target("sha,sse4.1,ssse3"))) inline void fourRounds(__m128i& state0, __m128i& state1, __m128i msg,
                                                                   std::size_t k) {
    __m128i t = _mm_add_epi32(msg, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound.data() + k)));
    state1 = _mm_sha256rnds2_epu32(state1, state0, t);
    t = _mm_shuffle_epi32(t, 0x0E);
    state0 = _mm_sha256rnds2_epu32(state0, state1, t);
}

__attribute__((target("sha,sse4.1,ssse3"))) void compressSha(State& state, const std::uint8_t* block,
                                                             std::size_t blocks) {
    // Each 32-bit word big-endian, as the rounds read it.
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    // The state as the instructions keep it: ABEF and CDGH.
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state.data()));         // DCBA
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state.data() + 4));  // HGFE
    tmp = _mm_shuffle_epi32(tmp, 0xB1);                                                    // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);                                              // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);                                      // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);                                           // CDGH

    for (; blocks > 0; --blocks, block += 64) {
        const __m128i abefSaved = state0, cdghSaved = state1;
        __m128i m[4];
        for (std::size_t i = 0; i < 4; ++i)
            m[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i)), byteSwap);
        // Rounds 0-15 take the words as they are; each later group of four
        // makes its words from the sixteen before them.
        for (std::size_t group = 0; group < 16; ++group) {
            __m128i& words = m[group % 4];
            if (group >= 4) {
                const __m128i& w1 = m[(group + 1) % 4];
                const __m128i& w2 = m[(group + 2) % 4];
                const __m128i& w3 = m[(group + 3) % 4];
                words = _mm_sha256msg1_epu32(words, w1);
                words = _mm_add_epi32(words, _mm_alignr_epi8(w3, w2, 4));
                words = _mm_sha256msg2_epu32(words, w3);
            }
            fourRounds(state0, state1, words, 4 * group);
        }
        state0 = _mm_add_epi32(state0, abefSaved);
        state1 = _mm_add_epi32(state1, cdghSaved);
    }

    tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state.data()), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state.data() + 4), state1);
}

#endif

bool& useShaInstructions() {
#if defined(__x86_64__) || defined(__i386__)
    static bool use = hasShaInstructions();
#else
    static bool use = false;
#endif
    return use;
}

}  // namespace

bool Sha256::UsesProcessorInstructions() {
    return useShaInstructions();
}

void Sha256::UseProcessorInstructions(bool use) {
#if defined(__x86_64__) || defined(__i386__)
    useShaInstructions() = use && hasShaInstructions();
#else
    useShaInstructions() = false;
    static_cast<void>(use);
#endif
}

void Sha256::compress(const std::uint8_t* block, std::size_t blocks) {
#if defined(__x86_64__) || defined(__i386__)
    if (useShaInstructions()) {
        compressSha(state_, block, blocks);
        return;
    }
#endif
    compressPortable(state_, block, blocks);
}

void Sha256::Update(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    length_ += size;
    if (buffered_ > 0) {
        const std::size_t take = std::min(size, buffer_.size() - buffered_);
        std::memcpy(buffer_.data() + buffered_, p, take);
        buffered_ += take;
        p += take;
        size -= take;
        if (buffered_ < buffer_.size()) return;
        compress(buffer_.data(), 1);
        buffered_ = 0;
    }
    const std::size_t whole = size / 64;
    compress(p, whole);
    p += whole * 64;
    size -= whole * 64;
    std::memcpy(buffer_.data(), p, size);
    buffered_ = size;
}

Sha256::Digest Sha256::Finish() {
    const std::uint64_t bits = length_ * 8;
    // A one bit, zeros up to 56 bytes into a block, then the length in bits.
    std::uint8_t tail[72] = {0x80};
    const std::size_t padding = (buffered_ < 56 ? 56 : 120) - buffered_;
    for (int i = 0; i < 8; ++i) tail[padding + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    Update(tail, padding + 8);
    Digest out{};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
    reset();
    return out;
}

std::string Sha256::Hex(const Digest& digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(64);
    for (const std::uint8_t b : digest) {
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}

std::string Sha256::HexOf(std::string_view bytes) {
    Sha256 h;
    h.Update(bytes);
    return Hex(h.Finish());
}

std::optional<std::string> Sha256OfFile(const std::filesystem::path& file) {
    const FileHandle f = OpenRegularFile(file, Access::Read);
    if (!f) return std::nullopt;
    Sha256 h;
    std::vector<std::uint8_t> chunk(kReadChunk);
    for (std::uint64_t offset = 0;;) {
        const std::optional<std::size_t> got = f.ReadAt(offset, chunk.data(), chunk.size());
        if (!got) return std::nullopt;
        if (*got == 0) break;
        h.Update(chunk.data(), *got);
        offset += *got;
    }
    return Sha256::Hex(h.Finish());
}

}  // namespace plova
