// The document class. The main window owns one instance and uses it only as
// the holder of the settings record; the list windows use their own instances.
#pragma once

#include <filesystem>

#include "app/SettingsRecord.h"

namespace plova {

struct PlacementSave;

class CPLOVADoc {
public:
    SettingsRecord settings;

    // Reads "PLOVA.ini" once and fills the settings record. A missing,
    // unreadable or garbled file gives the defaults.
    void ReadAllSettings(const std::filesystem::path& file);

    // Writes the settings record (and, when given, the window placements) in
    // one atomic replacement of the file, keeping the keys this program does
    // not write. The file is made readable by its owner only, since it holds
    // the password. False when the file could not be written (the old file
    // then stays as it was).
    bool WriteAllSettings(const std::filesystem::path& file, const PlacementSave* placement = nullptr) const;
};

}  // namespace plova
