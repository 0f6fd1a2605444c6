#include "cli/RecordJson.h"

#include "platform/Text.h"

namespace plova::cli {

nlohmann::json recordJson(const FILESTS_INFO& r) {
    return nlohmann::json{
        {"flag", r.flag},
        {"played", r.played},
        {"download_state", r.downloadState},
        {"protected", r.isProtected},
        {"box_number", toUtf8(r.boxNumber)},
        {"box_name", toUtf8(r.boxName)},
        {"party_number", toUtf8(r.partyNumber)},
        {"party_name", toUtf8(r.partyName)},
        {"date", toUtf8(r.date)},
        {"recording_time", toUtf8(r.recordingTime)},
        {"title", toUtf8(r.title)},
        {"memo", toUtf8(r.memo)},
        {"path", toUtf8(r.filePath)},
    };
}

nlohmann::json blockJson(const RecordingBlock& b) {
    // The date field holds zero bytes between its parts; they read as spaces.
    std::string date = b.dateText;
    for (char& c : date)
        if (c == '\0') c = ' ';
    return nlohmann::json{
        {"magic_ok", b.hasMagic},
        {"date_text", toUtf8(fromCp932(date))},
        {"party_name", toUtf8(fromCp932(b.partyName))},
        {"party_number", toUtf8(fromCp932(b.partyNumber))},
        {"played", b.played},
        {"protected", b.isProtected},
        {"recording_tenths", b.recordingTenths},
        {"box_number", b.boxNumber},
        {"box_digits", toUtf8(fromCp932(b.boxDigits))},
    };
}

std::string jsonLine(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace plova::cli
