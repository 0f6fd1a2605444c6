// The display items of the box lists: which columns they show, in which
// order ("COLUM1".."COLUM13"), and the columns taken out ("DELCOLUM1".."13").
// The display-items dialog moves names between the two lists here; saving
// writes both to the settings record and the settings file.
#pragma once

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace plova {

namespace dispitems {
constexpr int kSlots = 13;
constexpr std::u16string_view kSection = u"DISP";
constexpr std::u16string_view kColumnKey = u"COLUM";
constexpr std::u16string_view kRemovedKey = u"DELCOLUM";
constexpr std::u16string_view kNoItems = u"表示項目が選択されていません。";
constexpr std::u16string_view kSaveFailed = u"設定ファイルを保存できませんでした。";
}  // namespace dispitems

using ColumnNames = std::array<std::u16string, dispitems::kSlots>;

class DisplayItems {
public:
    // The names of both arrays up to the first empty one.
    DisplayItems(std::span<const std::u16string> current, std::span<const std::u16string> removed);

    [[nodiscard]] const std::vector<std::u16string>& Current() const { return current_; }
    [[nodiscard]] const std::vector<std::u16string>& Removed() const { return removed_; }

    // Each move returns the row the moved name now has in the list it went
    // to, or -1 when nothing moved (no such row, the first row up, the last
    // row down, or the other list already holding 13 names).
    int Add(int removedRow);     // to the end of the current items
    int Remove(int currentRow);  // to the end of the removed items
    int MoveUp(int currentRow);
    int MoveDown(int currentRow);

    // The ten default columns shown, the other three removed.
    void Reset();

private:
    std::vector<std::u16string> current_;
    std::vector<std::u16string> removed_;
};

// Both lists into the settings record's arrays and the settings file's
// "COLUM" and "DELCOLUM" keys, every key written (empty past the last name).
// False when the file could not be written; the arrays hold the new items
// either way.
bool SaveDisplayItems(const DisplayItems& items, ColumnNames& columns, ColumnNames& removed,
                      const std::filesystem::path& settingsFile);

}  // namespace plova
