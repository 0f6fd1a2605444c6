#include "lists/ListSlots.h"

#include <algorithm>

namespace plova {

int ListSlotTable::OpenCount() const {
    return std::clamp(num, 0, listslots::kSlots);
}

const std::u16string& ListSlotTable::Definition(int listNumber) const {
    static const std::u16string kNone;
    const int k = listNumber <= 0 ? 1 : listNumber;
    return k <= listslots::kSlots ? disp[k - 1] : kNone;
}

bool ListSlotTable::ResponseListOpen() const {
    for (int i = 0; i < OpenCount(); ++i)
        if (ListKindOf(disp[i]) == listdef::kResponseListKind) return true;
    return false;
}

BoxSelection ListSlotTable::ShownBoxes(const std::u16string& folderName) const {
    BoxSelection shown;
    for (int i = 0; i < OpenCount(); ++i) {
        if (folderNames[i] != folderName || ListKindOf(disp[i]) == listdef::kResponseListKind) continue;
        BoxSelection one = ReadDefinition(disp[i]);
        shown.answering.insert(shown.answering.end(), one.answering.begin(), one.answering.end());
        shown.extension.insert(shown.extension.end(), one.extension.begin(), one.extension.end());
    }
    return shown;
}

StoreResult StoreNewList(ListSlotTable& slots, bool responseList, const BoxSelection& boxes,
                         const std::u16string& folderName) {
    const int count = slots.OpenCount();
    if (count >= listslots::kSlots) return StoreResult::LimitReached;
    slots.disp[count].clear();
    if (!responseList && boxes.Empty()) return StoreResult::NothingSelected;
    slots.disp[count] = responseList ? std::u16string(listdef::kResponseList) : BuildDefinition(boxes);
    slots.folderNames[count] = folderName;
    return StoreResult::Stored;
}

std::vector<int> FollowBoxRenames(ListSlotTable& slots, const std::u16string& folderName,
                                  const std::vector<BoxRename>& renames) {
    // All renames at once: a box takes at most one new name.
    const auto follow = [&](std::vector<std::u16string>& names, bool answering) {
        bool changed = false;
        for (std::u16string& name : names) {
            const auto r = std::find_if(renames.begin(), renames.end(),
                                        [&](const BoxRename& b) { return b.answering == answering && b.from == name; });
            if (r == renames.end()) continue;
            name = r->to;
            changed = true;
        }
        return changed;
    };
    std::vector<int> changed;
    for (int i = 0; i < slots.OpenCount(); ++i) {
        if (slots.folderNames[i] != folderName || ListKindOf(slots.disp[i]) == listdef::kResponseListKind) continue;
        BoxSelection boxes = ReadDefinition(slots.disp[i]);
        const bool answering = follow(boxes.answering, true);
        const bool extension = follow(boxes.extension, false);
        if (!answering && !extension) continue;
        slots.disp[i] = BuildDefinition(boxes);
        changed.push_back(i + 1);
    }
    return changed;
}

void ReleaseSlot(ListSlotTable& slots, int closedNumber) {
    slots.num = std::max(0, slots.OpenCount() - 1);
    if (slots.num == 0) {
        for (int i = 0; i < listslots::kSlots; ++i) {
            slots.disp[i].clear();
            slots.folderNames[i].clear();
        }
        return;
    }
    if (closedNumber < 1 || closedNumber > listslots::kSlots) return;
    slots.disp[closedNumber - 1].clear();
    slots.folderNames[closedNumber - 1].clear();
    // The open lists keep their order in slots 1..n.
    int to = closedNumber - 1;
    for (int from = closedNumber; from < listslots::kSlots; ++from) {
        if (slots.disp[from].empty()) continue;
        slots.disp[to] = std::move(slots.disp[from]);
        slots.folderNames[to] = std::move(slots.folderNames[from]);
        slots.disp[from].clear();
        slots.folderNames[from].clear();
        ++to;
    }
}

}  // namespace plova
