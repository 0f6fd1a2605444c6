// Texts the main window shows: the status bar, the folder display (1024)
// and the box display (1023).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/SettingsRecord.h"
#include "lists/ListCounters.h"

namespace plova {

// A count as shown: decimal, or "+++++" from 100000 on.
std::u16string StatusCount(std::int64_t count);

// The status bar text; empty without an active list window (nullptr).
std::u16string StatusBarText(const StatusCounts* active);

// The status bar's right side: the main unit logged in to (its address and
// user name) or "未ログイン", and the open box folder ("なし" when none).
std::u16string LoginStatusText(const SettingsRecord& record);
std::u16string BoxFolderStatusText(const SettingsRecord& record);

// Folder display for list window `listNumber` (0 when none): a blank, the
// root folder with a trailing separator and FOLDERNAMEn, every ":" shown as
// "："; empty when NUM is 0 or the slot has no folder name.
std::u16string FolderDisplayText(const SettingsRecord& record, int listNumber);

// Folder display at the main window's creation, from "DISP"/"FOLDERNAME",
// without a trailing separator.
std::u16string InitialFolderDisplayText(const SettingsRecord& record);

// Box display for list window `listNumber` (0 when none): a blank and DISPn,
// ":" shown as "：" and "?" as ","; the extension group on a line of its own.
std::u16string BoxDisplayText(const SettingsRecord& record, int listNumber);

// Box display at creation: list window 1's text without the line break, and
// only while the restore-windows condition holds.
std::u16string InitialBoxDisplayText(const SettingsRecord& record, bool restoreCondition);

// The open box folder's name taken back from the folder display: "：" turned
// back into ":", leading blanks removed, only the part after the last
// separator kept.
std::u16string FolderNameFromDisplay(std::u16string_view folderDisplay);

}  // namespace plova
