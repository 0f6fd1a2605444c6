// The version dialog ("バージョン").
#pragma once

#include "platform/ui/BackupTimedDlg.h"

namespace plova::ui {

namespace version {
constexpr char16_t kCaption[] = u"バージョン";
constexpr char16_t kTitle[] = u"Kwシリーズ音声ファイル管理";
constexpr char16_t kVersion[] = u"Version 1.0.0.0";
constexpr char16_t kYear[] = u"Copyright (C) 2026";
}  // namespace version

// It can be left open, so a backup that falls due meanwhile closes it.
class VersionDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit VersionDlg(DialogBackupWatch* watch = nullptr, QWidget* parent = nullptr);
};

}  // namespace plova::ui
