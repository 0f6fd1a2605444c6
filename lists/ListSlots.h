// The table of open lists: four slots of box folder name and list
// definition, kept in the settings record ("FOLDERNAME1".."4", "DISP1".."4")
// together with NUM, the number of lists open. Slots 1..n are in use when n
// lists are open; a window's list number is the number of its slot.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "lists/ListDefinition.h"

namespace plova {

namespace listslots {
constexpr int kSlots = 4;
constexpr std::u16string_view kLimitReached = u"開ける一覧表が上限に達しています。";
constexpr std::u16string_view kNothingSelected = u"BOXが選択されていません。";
constexpr std::u16string_view kNoBoxes = u"フォルダにボックス情報がありません。\n確認ください。";
}  // namespace listslots

using SlotTexts = std::array<std::u16string, listslots::kSlots>;

// The slot table as it lives in the settings record.
struct ListSlotTable {
    SlotTexts& disp;         // list definitions
    SlotTexts& folderNames;  // box folder of each list (last path component)
    int& num;                // lists open, 0..4

    [[nodiscard]] int OpenCount() const;
    // Definition of slot k (slot 1 when k is 0 or less); empty beyond 4.
    [[nodiscard]] const std::u16string& Definition(int listNumber) const;
    [[nodiscard]] int KindOf(int listNumber) const { return ListKindOf(Definition(listNumber)); }
    // A system response message list is open (there is at most one).
    [[nodiscard]] bool ResponseListOpen() const;
    // The boxes shown by the open lists of box folder `folderName`.
    [[nodiscard]] BoxSelection ShownBoxes(const std::u16string& folderName) const;
};

enum class [[nodiscard]] StoreResult{Stored, LimitReached, NothingSelected};

// "開く": the new list goes into slot (open count + 1) with its definition
// (the response list's fixed text when `responseList`) and folder name; the
// count is not raised here, the window that opens for it raises it.
StoreResult StoreNewList(ListSlotTable& slots, bool responseList, const BoxSelection& boxes,
                         const std::u16string& folderName);

// A box folder that took a new name.
struct BoxRename {
    bool answering = true;  // under "rusuroku", else under "naisen"
    std::u16string from;
    std::u16string to;
};

// The open box lists of box folder `folderName` follow renamed boxes: every
// renamed box of their definitions takes its new name in its place. The
// numbers of the lists whose definition changed, in order.
std::vector<int> FollowBoxRenames(ListSlotTable& slots, const std::u16string& folderName,
                                  const std::vector<BoxRename>& renames);

// List `closedNumber` has closed: the count drops (not below 0); with lists
// left its slot is cleared and the later slots move down one, else all four
// slots are cleared. The windows of the later lists each take the number one
// lower.
void ReleaseSlot(ListSlotTable& slots, int closedNumber);

}  // namespace plova
