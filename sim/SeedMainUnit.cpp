#include "sim/SeedMainUnit.h"

#include "audio/G729Codec.h"
#include "platform/AtomicFile.h"
#include "platform/CalendarTime.h"
#include "platform/Text.h"
#include "sim/SpeechSynth.h"
#include "store/RecordingBlock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <span>
#include <system_error>

namespace fs = std::filesystem;

namespace plova::sim {

namespace {

constexpr int kSpanDays = 91;  // "the last three months"
constexpr int kFirstHour = 8;
constexpr int kLastHour = 20;

const char* const kWeekdays[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

const char16_t* const kPartyNames[] = {
    u"山田太郎", u"佐藤花子", u"鈴木一郎", u"高橋商事", u"田中工務店", u"株式会社みどり物産",
    u"伊藤美咲", u"中村運輸", u"小林",     u"ｶﾄｳ ｹﾝｼﾞ", u"",           u"吉田歯科医院",
};
const char16_t* const kPartyNumbers[] = {
    u"0312345678", u"0668901234", u"09087654321", u"0452223333", u"非通知", u"公衆電話", u"0120111222", u"",
};
const char16_t* const kResponseTitles[] = {
    u"営業時間外案内", u"休業日案内", u"代表番号案内", u"混雑時案内", u"夜間案内", u"年末年始案内",
};

class Random {
public:
    explicit Random(std::uint32_t seed) : rng_(seed) {}
    // From the raw generator: the standard distributions differ between libraries.
    double Uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(rng_()) / 4294967296.0);
    }
    int Below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
    std::uint32_t Next() { return rng_(); }

private:
    std::mt19937 rng_;
};

// Wall-clock arithmetic on the main unit's local time, independent of the
// time zone this program runs in.
std::tm asTm(const LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_isdst = -1;
    return tm;
}

std::time_t asSeconds(const LocalTime& t) {
    return MomentOfUniversalTime(asTm(t));
}

LocalTime fromSeconds(std::time_t s) {
    const std::tm tm = UniversalCalendarTime(s);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, 0, 0};
}

// "YYYYMMDDhhmm_WWW_".
std::string namePrefix(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d_%s_", t.year, t.month, t.day, t.hour, t.minute,
                  kWeekdays[t.dayOfWeek % 7]);
    return text;
}

std::string blockBytes(const RecordingBlock& fields) {
    BlockBytes b = BuildBlock(fields);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// Speech of `seconds`, coded frame by frame.
std::string codedSpeech(std::uint32_t seed, double seconds, std::uint32_t& tenths) {
    SpeechSynth synth(seed);
    std::vector<std::int16_t> pcm = synth.Speak(seconds);
    G729Encoder encoder;
    std::string frames;
    frames.reserve(pcm.size() / kFrameSamples * kFrameBytes);
    std::array<std::uint8_t, kFrameBytes> frame{};
    for (std::size_t i = 0; i + kFrameSamples <= pcm.size(); i += kFrameSamples) {
        encoder.Encode(std::span<const std::int16_t, kFrameSamples>(pcm.data() + i, kFrameSamples), frame);
        frames.append(reinterpret_cast<const char*>(frame.data()), frame.size());
    }
    tenths = static_cast<std::uint32_t>(pcm.size() / kFrameSamples / 10);  // a frame is 10 ms
    return frames;
}

// The file shows the recording time as its modification time, as on the main unit.
void stampFile(const fs::path& file, const LocalTime& t) {
    std::tm tm = asTm(t);
    const auto system = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    std::error_code ec;
    fs::last_write_time(file, std::chrono::file_clock::from_sys(system), ec);
}

bool writeFile(const fs::path& file, const std::string& bytes, const LocalTime& t, SeedResult& result) {
    if (!WriteFileAtomically(file, bytes)) {
        result.error = "cannot write " + file.string();
        return false;
    }
    stampFile(file, t);
    return true;
}

}  // namespace

std::string PartyNameWithMainUnitSpace() {
    return ToCp932(u"渡辺") + "\x80\xF0" + ToCp932(u"健一");
}

SeedResult SeedMainUnit(const fs::path& root, const SeedOptions& options) {
    SeedResult result;
    Random random(options.seed);
    const LocalTime now = options.now ? *options.now : SystemClock().Now();
    const std::time_t end = asSeconds(now);

    std::error_code ec;
    for (const char* kind : {"rusuroku", "naisen", "outou"}) {
        fs::create_directories(root / kind, ec);
        if (ec) {
            result.error = "cannot create " + (root / kind).string() + ": " + ec.message();
            return result;
        }
    }
    for (const auto& box : options.emptyExtensionBoxes) fs::create_directories(root / "naisen" / box, ec);

    auto randomTime = [&](int spanDays) {
        std::time_t day = end - static_cast<std::time_t>(random.Below(spanDays)) * 86400;
        LocalTime t = fromSeconds(day);
        t.hour = kFirstHour + random.Below(kLastHour - kFirstHour);
        t.minute = random.Below(60);
        std::time_t s = asSeconds(t);
        return fromSeconds(s > end ? s - 86400 : s);
    };
    auto duration = [&] { return random.Uniform(options.minSeconds, options.maxSeconds); };

    bool firstBox = true;
    auto seedBoxes = [&](const char* kind, const std::vector<std::string>& boxes) -> bool {
        for (const auto& box : boxes) {
            const fs::path folder = root / kind / box;
            fs::create_directories(folder, ec);
            const int count = std::max(1, options.messagesPerBox - 2 + random.Below(5));
            std::vector<std::time_t> times;
            for (int i = 0; i < count; ++i) times.push_back(asSeconds(randomTime(kSpanDays)));
            std::sort(times.begin(), times.end());
            for (int i = 0; i < count; ++i) {
                const LocalTime t = fromSeconds(times[static_cast<std::size_t>(i)]);
                char number[16];
                std::snprintf(number, sizeof number, "_%05d", i + 1);
                const std::string stem = namePrefix(t) + box + number;

                RecordingBlock fields;
                fields.dateText = MakeBlockDate(t);
                fields.partyName = ToCp932(kPartyNames[random.Below(std::size(kPartyNames))]);
                fields.partyNumber = ToCp932(kPartyNumbers[random.Below(std::size(kPartyNumbers))]);
                fields.played = random.Below(2) == 1;
                fields.isProtected = random.Below(7) == 0;
                if (firstBox) {
                    // The first box shows every kind of message whatever the seed.
                    if (i == 0) fields.isProtected = fields.played = true;
                    if (i == 1) {
                        fields.played = fields.isProtected = false;
                        fields.partyName = PartyNameWithMainUnitSpace();
                    }
                    if (i == 2) fields.played = true, fields.isProtected = false;
                }
                fields.boxNumber = static_cast<std::uint16_t>(std::stoi(box));
                fields.boxDigits = box;
                std::uint32_t tenths = 0;
                const std::string speech = codedSpeech(random.Next(), duration(), tenths);
                fields.recordingTenths = tenths;

                const std::string block = blockBytes(fields);
                SeededMessage m{folder / (stem + ".vmdat"), folder / (stem + ".vminf"), fields.played,
                                fields.isProtected, tenths};
                if (!writeFile(m.voiceFile, block + speech, t, result)) return false;
                if (!writeFile(m.infoFile, block, t, result)) return false;
                result.boxMessages.push_back(m);
            }
            firstBox = false;
        }
        return true;
    };
    if (!seedBoxes("rusuroku", options.answeringBoxes) || !seedBoxes("naisen", options.extensionBoxes)) return result;

    for (std::size_t i = 0; i < options.responseNumbers.size(); ++i) {
        const int number = options.responseNumbers[i];
        if (number < 1 || number > 300) continue;
        const LocalTime t = randomTime(kSpanDays);
        // "A" and the three digits, then "0000": the same form the PC gives a message
        // it makes, so the main unit's copy and the PC's copy of one number are one message.
        char identity[16];
        std::snprintf(identity, sizeof identity, "A%03d_0000", number);
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", number);

        RecordingBlock fields;
        fields.dateText = MakeBlockDate(t);
        fields.partyName = ToCp932(kResponseTitles[i % std::size(kResponseTitles)]);
        fields.boxNumber = static_cast<std::uint16_t>(number);
        fields.boxDigits = digits;
        std::uint32_t tenths = 0;
        const double seconds = std::min(options.maxSeconds, std::max(options.minSeconds, random.Uniform(5.0, 20.0)));
        const std::string speech = codedSpeech(random.Next(), seconds, tenths);
        fields.recordingTenths = tenths;

        SeededMessage m{root / "outou" / (namePrefix(t) + identity + ".vmdat"), {}, false, false, tenths};
        if (!writeFile(m.voiceFile, blockBytes(fields) + speech, t, result)) return result;
        result.responseMessages.push_back(m);
    }
    result.ok = true;
    return result;
}

}  // namespace plova::sim
