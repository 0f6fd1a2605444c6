// What the backup's dialogs read and change in the program's settings: the
// schedule that the settings dialog shows and stores, and the flags that the
// backup-time prompt sets when it opens and when it ends. The program keeps
// both in its settings record and backup flags (app/BackupWatch.h).
#pragma once

#include <optional>

#include "backup/BackupSchedule.h"
#include "platform/Ports.h"

namespace plova {

// How the backup-time prompt ended.
enum class [[nodiscard]] BackupTimeAnswer{Yes, No, TimedOut};

namespace backup {

class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    // The settings dialog: what it shows (nothing when it must not open), and
    // "OK" (the schedule stored, the next-due time computed).
    [[nodiscard]] virtual std::optional<Schedule> OpenScheduleForm() const = 0;
    virtual void ApplyScheduleForm(const Schedule& form, const LocalTime& now) = 0;
    // The last run and the next, for the dialog to show.
    [[nodiscard]] virtual RunHistory History() const = 0;
    // The backup-time prompt has opened, and has ended with `answer`.
    virtual void BackupTimePromptOpened() = 0;
    virtual void BackupTimePromptEnded(BackupTimeAnswer answer, const LocalTime& now) = 0;
};

}  // namespace backup
}  // namespace plova
