// Settings files as anyone may have edited them. The input is the file, then
// after zero bytes a section, a key and a value to write. Reading never fails
// hard; a plain key written is read back as written, every other key keeps
// its value, and what would be saved loads back to the same bytes.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

using namespace plova;

namespace {

// Names and values that survive the file's syntax unchanged: printable ASCII
// without the characters that mark sections, comments, quotes or the "=".
bool plain(std::string_view s) {
    if (s.empty() || s.front() == ' ' || s.back() == ' ') return false;
    for (char c : s)
        if (c < 0x20 || c > 0x7E || std::string_view("[];=\"'").find(c) != std::string_view::npos) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [content, section, key, value] = fuzz::SplitAtZeros<4>(fuzz::AsText(data, size));
    const std::filesystem::path file = fuzz::ScratchFolder() / "settings.ini";
    fuzz::WriteFile(file, content);

    IniDocument doc = IniDocument::Load(file);
    const std::u16string s = FromCp932(section), k = FromCp932(key), v = FromCp932(value);
    const auto before = doc.Get(s, k);
    FUZZ_CHECK(doc.GetInt(s, k, 7) == (before ? doc.GetInt(s, k, 8) : 7));
    // Keys the program itself reads, whatever else the file holds.
    (void)doc.GetInt(u"CODEC", u"LEVELRVORWAV", 0);
    (void)doc.GetString(u"INF", u"NAME");

    // Saving goes through the atomic replacement, tested on its own; here
    // the bytes it would write are written plainly, which is much faster.
    const std::string saved = doc.Bytes();
    fuzz::WriteFile(file, saved);
    FUZZ_CHECK(IniDocument::Load(file).Bytes() == saved);

    if (plain(section) && plain(key) && plain(value)) {
        const auto other = doc.Get(u"CODEC", u"LEVELRVORWAV");
        doc.Set(s, k, v);
        FUZZ_CHECK(doc.Get(s, k) == v);
        if (!EqualsIgnoreCase(s, u"CODEC") || !EqualsIgnoreCase(k, u"LEVELRVORWAV"))
            FUZZ_CHECK(doc.Get(u"CODEC", u"LEVELRVORWAV") == other);
        fuzz::WriteFile(file, doc.Bytes());
        FUZZ_CHECK(IniDocument::Load(file).Get(s, k) == v);
        doc.Remove(s, k);
    }
    return 0;
}
