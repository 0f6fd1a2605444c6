// The JSON forms of the status record and the recording block that the
// commands print. Texts are UTF-8.
#pragma once

#include <nlohmann/json.hpp>

#include "store/FILESTS_INFO.h"
#include "store/RecordingBlock.h"

namespace plova::cli {

nlohmann::json RecordJson(const FILESTS_INFO& record);
nlohmann::json BlockJson(const RecordingBlock& block);

// One line of JSON; text that is not UTF-8 never throws.
std::string JsonLine(const nlohmann::json& value);

}  // namespace plova::cli
