// "録音情報編集" for a system response message: its name and flag can be
// changed; OK also stamps the message and renames it with the edit time.
#pragma once

#include <filesystem>
#include <string>

#include "lists/ui/commands/InfoEditLayout.h"

namespace plova::ui {

namespace infoedits {
constexpr int kFileName = 1167;
constexpr int kNumber = 1168;
constexpr int kName = 1169;
constexpr int kFlagOn = 1170;
constexpr int kFlagOff = 1171;
constexpr int kUpload = 1172;
constexpr int kRecordingTime = 1173;
}  // namespace infoedits

class CInfoEditDlgS final : public InfoEditDialog {
    Q_OBJECT
public:
    CInfoEditDlgS(std::filesystem::path file, const std::u16string& fileName, DialogBackupWatch* watch,
                  QWidget* parent);

    // The voice-data file after a rename.
    [[nodiscard]] const std::filesystem::path& File() const { return file_; }

    void accept() override;
};

}  // namespace plova::ui
