// Proof that a month folder of the backup is whole: "SHA256SUMS" beside its
// record, one line for every file the month holds, in the form
// `sha256sum -c` reads (paths relative to the month folder), and the check
// of a backup against it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plova::backup {

constexpr std::string_view kManifestFile = "SHA256SUMS";

// The files a manifest covers: every regular file below the month folder
// except the month's own bookkeeping (its record, the manifest, the file
// managers' list of hidden names, locks and temporary files). Paths relative
// to the month folder with "/" between components, in name order.
std::vector<std::string> ManifestedFiles(const std::filesystem::path& monthFolder);

// Writes the manifest of a month folder under a temporary name and renames it
// into place. False, with the reason in `why`, when a file could not be read
// or the manifest written; an older manifest then stays as it was.
bool WriteManifest(const std::filesystem::path& monthFolder, std::string* why = nullptr);

// Removes a month's manifest: the month is being filled again and no longer
// what the manifest says.
void RemoveManifest(const std::filesystem::path& monthFolder);

// One thing found wrong.
struct VerifyProblem {
    std::string where;  // the month folder's name, then the file's path in it
    std::string what;   // "changed", "missing", "not listed", "cut: …"
};

struct VerifyReport {
    int months = 0;                 // month folders checked
    int files = 0;                  // files checked against a manifest
    int messages = 0;               // message files whose structure was checked
    std::vector<std::string> open;  // months not marked 完了, checked without a manifest
    std::vector<VerifyProblem> problems;
    [[nodiscard]] bool Holds() const { return problems.empty() && months > 0; }
};

// Checks every "BU_YYYYMM" folder under `target`, or `target` itself when it
// is one: each file against its manifest line (missing, changed, not
// listed), each message's structure (a valid status record and recording
// block, voice data a whole number of frames), and a month marked 完了 that
// has no manifest.
VerifyReport VerifyBackup(const std::filesystem::path& target);

// Whether `name` is a month folder's name, "BU_" and six digits.
bool IsMonthFolderName(std::string_view name);

}  // namespace plova::backup
