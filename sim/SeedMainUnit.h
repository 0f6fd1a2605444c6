// Fills a directory with what a main unit in use holds: answering-machine
// and extension boxes with messages from the last three months (speech coded
// as G.729 Annex A, Japanese party names, played, unplayed and protected
// messages), an empty box, and a few system response messages. The demo
// and the tests share it; the same seed and clock give the same bytes.
#pragma once

#include "platform/Ports.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plova::sim {

struct SeedOptions {
    std::uint32_t seed = 20260401;
    std::optional<LocalTime> now;  // messages are dated before this; default the local clock
    std::vector<std::string> answeringBoxes = {"0001", "0002", "0003"};
    std::vector<std::string> extensionBoxes = {"2001", "2002", "2003"};
    std::vector<std::string> emptyExtensionBoxes = {"2009"};
    int messagesPerBox = 4;  // on average; every listed box gets at least one
    std::vector<int> responseNumbers = {1, 2, 10, 150};
    double minSeconds = 3.0;
    double maxSeconds = 30.0;
};

struct SeededMessage {
    std::filesystem::path voiceFile;  // ".vmdat": block and speech
    std::filesystem::path infoFile;   // ".vminf": the block alone; empty for system response messages
    bool played = false;
    bool isProtected = false;
    std::uint32_t recordingTenths = 0;
};

struct [[nodiscard]] SeedResult {
    bool ok = false;
    std::string error;
    std::vector<SeededMessage> boxMessages;
    std::vector<SeededMessage> responseMessages;
};

// Party name bytes (CP932) holding 0x80 0xF0 where the main unit writes a
// full-width space; the generator gives it to one message of the first box.
std::string PartyNameWithMainUnitSpace();

SeedResult SeedMainUnit(const std::filesystem::path& root, const SeedOptions& options = {});

}  // namespace plova::sim
