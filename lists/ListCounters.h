// The counts a list window keeps for the status bar, and the enable flags it
// publishes for the command bar.
#pragma once

#include <cstdint>

namespace plova {

// Counts of the active list window for the status bar.
struct StatusCounts {
    bool systemResponseList = false;
    std::int64_t folderTotal = 0;  // the main window's: messages of the whole box folder
    std::int64_t boxTotal = 0;     // rows of the last full build
    std::int64_t listTotal = 0;    // rows shown
    std::int64_t unplayed = 0;
    std::int64_t played = 0;
    int displayMode = 0;  // the list's display mode (display::kAll, kSelect, kNotDownloaded)
};

// The seven selection-dependent flags a list window publishes.
struct CommandFlags {
    bool hasVoice = false;  // "変換"
    bool play = false;      // "再生"
    bool move = false;      // "移動・コピー"
    bool notDownloaded = false;  // "未ﾀﾞｳﾝﾛｰﾄﾞ表示", and with login "音声ﾃﾞｰﾀﾀﾞｳﾝﾛｰﾄﾞ"
    bool add = false;     // "追加"
    bool upload = false;  // "アップロード"
    bool erase = false;   // "消去"
    bool operator==(const CommandFlags&) const = default;
};

}  // namespace plova
