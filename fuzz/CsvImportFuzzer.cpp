// Extension directories in CSV as anyone may have written them, imported
// into a box folder with two boxes. Whatever the file holds: every line
// parses without fault, nothing is written outside the two boxes, each box
// keeps exactly its "inf.ini" (no backup is left behind), and a box's name
// is one the file gave it or the one it had.
#include <cstdint>
#include <set>

#include "folders/BoxNameImport.h"
#include "fuzz/FuzzSupport.h"
#include "platform/IniFile.h"
#include "platform/Ports.h"
#include "platform/Text.h"

using namespace plova;
namespace fs = std::filesystem;

namespace {

std::set<fs::path> everythingUnder(const fs::path& folder) {
    std::set<fs::path> found;
    for (const auto& e : fs::recursive_directory_iterator(folder)) found.insert(e.path());
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content = fuzz::AsText(data, size);
    const fs::path work = fuzz::ScratchFolder() / "import";
    fs::remove_all(work);
    const fs::path naisen = work / "bf" / "naisen";
    for (const char* box : {"201", "202"}) {
        fs::create_directories(naisen / box);
        WriteProfileText(naisen / box / "inf.ini", u"INF", u"NAME", u"\"before\"");
    }
    fs::create_directories(work / "bf" / "rusuroku");
    const fs::path book = work / "book.csv";
    fuzz::WriteFile(book, content);
    const std::set<fs::path> before = everythingUnder(work);

    // Every name a line of the file could give.
    std::set<std::u16string> given = {u"\"before\""};
    std::size_t at = 0;
    for (std::size_t line = 0; at < content.size(); ++line) {
        const std::size_t end = std::min(content.find('\n', at), content.size() - 1);
        const std::size_t length = std::min(end - at + 1, boximport::kLineBytes);
        if (const auto entry = ParseImportLine(content.substr(at, length))) {
            FUZZ_CHECK(entry->box.size() + entry->name.size() <= boximport::kParsedBytes);
            given.insert(entry->name);
        }
        at += length;
    }

    const ImportResult result = ImportBoxNames(book, naisen);
    FUZZ_CHECK(result == ImportResult::Completed || result == ImportResult::NothingNamed);
    FUZZ_CHECK(everythingUnder(work) == before);
    for (const char* box : {"201", "202"}) {
        const std::u16string name = ReadProfileString(naisen / box / "inf.ini", u"INF", u"NAME");
        // As the profile layer reads a value back: trimmed, unquoted.
        bool known = false;
        for (const std::u16string& g : given) {
            IniDocument doc;
            doc.Set(u"INF", u"NAME", g);
            known = known || doc.GetString(u"INF", u"NAME") == name;
        }
        FUZZ_CHECK(known);
    }
    return 0;
}
