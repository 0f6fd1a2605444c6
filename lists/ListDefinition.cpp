#include "lists/ListDefinition.h"

#include <algorithm>

namespace plova {
namespace {

constexpr char16_t kComma = u',';
constexpr char16_t kCommaInName = u'?';
constexpr char16_t kAsciiColon = u':';
constexpr char16_t kWideColon = u'：';
constexpr char16_t kBlank = u' ';
constexpr std::u16string_view kExtensionWord = u"内線";

void appendGroup(std::u16string& out, std::u16string_view label, const std::vector<std::u16string>& names) {
    out += label;
    for (std::u16string name : names) {
        std::replace(name.begin(), name.end(), kComma, kCommaInName);
        out += name;
        out += kComma;
    }
}

bool isBlank(std::u16string_view s) {
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c == kBlank; });
}

}  // namespace

std::u16string BuildDefinition(const BoxSelection& boxes) {
    std::u16string out;
    if (!boxes.answering.empty()) appendGroup(out, listdef::kAnsweringLabel, boxes.answering);
    if (!boxes.extension.empty()) {
        if (!out.empty()) out += listdef::kGroupGap;
        appendGroup(out, listdef::kExtensionLabel, boxes.extension);
    }
    if (!out.empty() && out.back() == kComma) out.pop_back();
    return out;
}

BoxSelection ReadDefinition(std::u16string_view text) {
    BoxSelection out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // The ASCII colon is looked for first: older files and hand edits use it.
        std::size_t colon = text.find(kAsciiColon, pos);
        if (colon == std::u16string_view::npos) colon = text.find(kWideColon, pos);
        if (colon == std::u16string_view::npos) break;
        const bool extension = text.substr(pos, colon - pos).find(kExtensionWord) != std::u16string_view::npos;
        // The boxes run up to and including the next blank, or to the end.
        const std::size_t start = colon + 1;
        const std::size_t blank = text.find(kBlank, start);
        const std::size_t end = blank == std::u16string_view::npos ? text.size() : blank + 1;
        const std::u16string_view part = text.substr(start, end - start);
        auto& names = extension ? out.extension : out.answering;
        std::size_t from = 0;
        while (true) {
            const std::size_t comma = part.find(kComma, from);
            std::u16string name(part.substr(from, comma == std::u16string_view::npos ? part.npos : comma - from));
            // The blank before a second label names no box.
            if (!name.empty() && !isBlank(name)) {
                std::replace(name.begin(), name.end(), kCommaInName, kComma);
                names.push_back(std::move(name));
            }
            if (comma == std::u16string_view::npos) break;
            from = comma + 1;
        }
        pos = end;
    }
    return out;
}

int ListKindOf(std::u16string_view definition) {
    return definition == listdef::kResponseList ? listdef::kResponseListKind : listdef::kBoxList;
}

}  // namespace plova
