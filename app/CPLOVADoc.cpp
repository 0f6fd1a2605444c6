#include "app/CPLOVADoc.h"

#include "app/WindowPlacement.h"

namespace plova {

void CPLOVADoc::ReadAllSettings(const std::filesystem::path& file) {
    plova::ReadAllSettings(IniDocument::Load(file), settings);
}

bool CPLOVADoc::WriteAllSettings(const std::filesystem::path& file, const PlacementSave* placement) const {
    // Keys this program does not write (the column keys, anything a user
    // added) stay as they are in the file.
    ReadResult read;
    IniDocument ini = IniDocument::Load(file, &read);
    // A settings file that is there but cannot be read (too large, a pipe) is
    // not replaced by one that would lose its keys.
    if (read != ReadResult::Ok && read != ReadResult::Missing) return false;
    plova::WriteAllSettings(ini, settings);
    if (placement) WritePlacement(ini, *placement);
    // The password is kept in plain text, so nobody else may read the file.
    return ini.Save(file, NewFileMode::OwnerOnly);
}

}  // namespace plova
