// The list definition texts kept in the settings, which anyone may edit: any
// text reads without failing, and every selection of box folder names reads
// back from the text written for it, with either colon after the labels.
#include <algorithm>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "lists/ListDefinition.h"
#include "platform/Text.h"

using namespace plova;

namespace {

// A folder name the text can carry: the writer's own separators (blank,
// either colon, "?") would read back as something else.
bool carriable(std::u16string_view name) {
    if (name.empty()) return false;
    return std::none_of(name.begin(), name.end(),
                        [](char16_t c) { return c < 0x20 || c == u' ' || c == u':' || c == u'：' || c == u'?'; });
}

void checkNames(const BoxSelection& boxes) {
    for (const auto* group : {&boxes.answering, &boxes.extension})
        for (const std::u16string& name : *group)
            FUZZ_CHECK(!name.empty() && name.find_first_not_of(u' ') != std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = fuzz::AsText(data, size);
    checkNames(ReadDefinition(FromCp932(in)));
    const std::u16string text = FromUtf8(in);
    checkNames(ReadDefinition(text));
    ListKindOf(text);

    // The input's lines as folder names; the first byte's bits put each in a group.
    const std::uint8_t groups = size > 0 ? data[0] : 0;
    BoxSelection boxes;
    std::size_t index = 0;
    for (std::size_t from = 0; from <= text.size(); ++index) {
        const std::size_t end = std::min(text.find(u'\n', from), text.size());
        const std::u16string name = text.substr(from, end - from);
        from = end + 1;
        if (!carriable(name)) continue;
        ((groups >> (index % 8)) & 1 ? boxes.extension : boxes.answering).push_back(name);
    }
    const std::u16string written = BuildDefinition(boxes);
    FUZZ_CHECK(ReadDefinition(written) == boxes);
    std::u16string ascii = written;
    std::replace(ascii.begin(), ascii.end(), u'：', u':');
    FUZZ_CHECK(ReadDefinition(ascii) == boxes);
    return 0;
}
