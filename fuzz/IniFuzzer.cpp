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
    const auto [content, section, key, value] = fuzz::splitAtZeros<4>(fuzz::asText(data, size));
    const std::filesystem::path file = fuzz::scratchFolder() / "settings.ini";
    fuzz::writeFile(file, content);

    IniDocument doc = IniDocument::load(file);
    const std::u16string s = fromCp932(section), k = fromCp932(key), v = fromCp932(value);
    const auto before = doc.get(s, k);
    FUZZ_CHECK(doc.getInt(s, k, 7) == (before ? doc.getInt(s, k, 8) : 7));
    // Keys the program itself reads, whatever else the file holds.
    doc.getInt(u"CODEC", u"LEVELRVORWAV", 0);
    doc.getString(u"INF", u"NAME");

    // Saving goes through the atomic replacement, tested on its own; here
    // the bytes it would write are written plainly, which is much faster.
    const std::string saved = doc.bytes();
    fuzz::writeFile(file, saved);
    FUZZ_CHECK(IniDocument::load(file).bytes() == saved);

    if (plain(section) && plain(key) && plain(value)) {
        const auto other = doc.get(u"CODEC", u"LEVELRVORWAV");
        doc.set(s, k, v);
        FUZZ_CHECK(doc.get(s, k) == v);
        if (!equalsIgnoreCase(s, u"CODEC") || !equalsIgnoreCase(k, u"LEVELRVORWAV"))
            FUZZ_CHECK(doc.get(u"CODEC", u"LEVELRVORWAV") == other);
        fuzz::writeFile(file, doc.bytes());
        FUZZ_CHECK(IniDocument::load(file).get(s, k) == v);
        doc.remove(s, k);
    }
    return 0;
}
