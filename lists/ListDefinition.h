// The list definition: the text that says which boxes a list window shows,
// stored as "DISP1".."DISP4" and used as the window's title.
//
//   留守録BOX：001,002,  内線BOX：201
//
// One or two groups, answering-machine boxes first, every box followed by ","
// and the last "," of the whole text dropped. A "," inside a box folder name
// is stored as "?". The system response message list has a fixed text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plova {

namespace listdef {
constexpr std::u16string_view kResponseList = u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ";
constexpr std::u16string_view kAnsweringLabel = u"留守録BOX：";
constexpr std::u16string_view kExtensionLabel = u"内線BOX：";
// Before the extension label when an answering-machine group precedes it.
constexpr std::u16string_view kGroupGap = u"  ";
constexpr int kBoxList = 1;
constexpr int kResponseListKind = 2;
}  // namespace listdef

// The boxes of one list, by folder name, in list order.
struct BoxSelection {
    std::vector<std::u16string> answering;  // under "rusuroku"
    std::vector<std::u16string> extension;  // under "naisen"
    [[nodiscard]] bool Empty() const { return answering.empty() && extension.empty(); }
    bool operator==(const BoxSelection&) const = default;
};

// The definition text of a box selection ("," in names written as "?").
std::u16string BuildDefinition(const BoxSelection& boxes);

// The boxes a definition names, "?" turned back into ",". Either colon ends a
// label. The blank that stands between the two groups is not a box.
BoxSelection ReadDefinition(std::u16string_view definition);

// 2 for the system response message list, else 1.
int ListKindOf(std::u16string_view definition);

}  // namespace plova
