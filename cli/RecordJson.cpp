#include "cli/RecordJson.h"

#include "platform/Text.h"

namespace plova::cli {

nlohmann::json RecordJson(const FILESTS_INFO& r) {
    return nlohmann::json{
        {"flag", r.flag},
        {"played", r.played},
        {"download_state", r.downloadState},
        {"protected", r.isProtected},
        {"box_number", ToUtf8(r.boxNumber)},
        {"box_name", ToUtf8(r.boxName)},
        {"party_number", ToUtf8(r.partyNumber)},
        {"party_name", ToUtf8(r.partyName)},
        {"date", ToUtf8(r.date)},
        {"recording_time", ToUtf8(r.recordingTime)},
        {"title", ToUtf8(r.title)},
        {"memo", ToUtf8(r.memo)},
        {"path", ToUtf8(r.filePath)},
    };
}

nlohmann::json BlockJson(const RecordingBlock& b) {
    // The date field holds zero bytes between its parts; they read as spaces.
    std::string date = b.dateText;
    for (char& c : date)
        if (c == '\0') c = ' ';
    return nlohmann::json{
        {"magic_ok", b.hasMagic},
        {"date_text", ToUtf8(FromCp932(date))},
        {"party_name", ToUtf8(FromCp932(b.partyName))},
        {"party_number", ToUtf8(FromCp932(b.partyNumber))},
        {"played", b.played},
        {"protected", b.isProtected},
        {"recording_tenths", b.recordingTenths},
        {"box_number", b.boxNumber},
        {"box_digits", ToUtf8(FromCp932(b.boxDigits))},
    };
}

std::string JsonLine(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace plova::cli
