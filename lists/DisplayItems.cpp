#include "lists/DisplayItems.h"

#include <utility>

#include "lists/ListColumns.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace plova {
namespace {

std::vector<std::u16string> namesOf(std::span<const std::u16string> names) {
    std::vector<std::u16string> out;
    for (const std::u16string& name : names) {
        if (name.empty()) break;
        out.push_back(name);
    }
    return out;
}

// The name of row `row` of `from` to the end of `to`; its new row, or -1.
int moveAcross(std::vector<std::u16string>& from, std::vector<std::u16string>& to, int row) {
    // Thirteen names fill the settings' slots: a list never holds more.
    if (row < 0 || row >= static_cast<int>(from.size()) || to.size() >= dispitems::kSlots) return -1;
    to.push_back(std::move(from[static_cast<std::size_t>(row)]));
    from.erase(from.begin() + row);
    return static_cast<int>(to.size()) - 1;
}

// "COLUM" and 3 → "COLUM3".
std::u16string keyOf(std::u16string_view base, int n) {
    return std::u16string(base) + FromUtf8(std::to_string(n));
}

void store(const std::vector<std::u16string>& names, ColumnNames& slots, IniDocument& ini, std::u16string_view key) {
    slots = {};
    for (std::size_t i = 0; i < names.size() && i < slots.size(); ++i) {
        slots[i] = names[i];
        ini.Set(dispitems::kSection, keyOf(key, static_cast<int>(i) + 1), names[i]);
    }
}

}  // namespace

DisplayItems::DisplayItems(std::span<const std::u16string> current, std::span<const std::u16string> removed)
    : current_(namesOf(current)), removed_(namesOf(removed)) {}

int DisplayItems::Add(int removedRow) {
    return moveAcross(removed_, current_, removedRow);
}

int DisplayItems::Remove(int currentRow) {
    return moveAcross(current_, removed_, currentRow);
}

int DisplayItems::MoveUp(int row) {
    if (row < 1 || row >= static_cast<int>(current_.size())) return -1;
    std::swap(current_[static_cast<std::size_t>(row)], current_[static_cast<std::size_t>(row - 1)]);
    return row - 1;
}

int DisplayItems::MoveDown(int row) {
    if (row < 0 || row + 1 >= static_cast<int>(current_.size())) return -1;
    std::swap(current_[static_cast<std::size_t>(row)], current_[static_cast<std::size_t>(row) + 1]);
    return row + 1;
}

void DisplayItems::Reset() {
    current_.assign(listcol::kDefaultColumns.begin(), listcol::kDefaultColumns.end());
    removed_ = {u"BOX名称", u"タイトル", u"メモ"};
}

bool SaveDisplayItems(const DisplayItems& items, ColumnNames& columns, ColumnNames& removed,
                      const std::filesystem::path& settingsFile) {
    ReadResult read;
    IniDocument ini = IniDocument::Load(settingsFile, &read);
    for (int n = 1; n <= dispitems::kSlots; ++n) {
        ini.Set(dispitems::kSection, keyOf(dispitems::kColumnKey, n), u"");
        ini.Set(dispitems::kSection, keyOf(dispitems::kRemovedKey, n), u"");
    }
    store(items.Current(), columns, ini, dispitems::kColumnKey);
    store(items.Removed(), removed, ini, dispitems::kRemovedKey);
    // A settings file that is there but cannot be read is not replaced by one
    // that would lose its other keys. It holds the password: nobody else reads it.
    if (read != ReadResult::Ok && read != ReadResult::Missing) return false;
    return ini.Save(settingsFile, NewFileMode::OwnerOnly);
}

}  // namespace plova
