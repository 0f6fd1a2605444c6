// The names of the entries of a folder in sorted order, for tests that
// compare what a folder holds before and after an operation.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace plova::testkit {

inline std::vector<std::string> SortedNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace plova::testkit
