// The simulated main unit the tests of every folder talk to: a disk folder
// (empty top folders or seeded messages), the credentials it accepts and a
// server over it on loopback that a test starts, stops, starts again on the
// same port and breaks with faults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "sim/MainUnitServer.h"
#include "sim/SeedMainUnit.h"

namespace plova::testkit {

class SimUnit {
public:
    // Nothing is made or started yet: the disk is filled by MakeTopFolders or
    // Seed, or by the test itself.
    explicit SimUnit(std::filesystem::path disk, std::string user = "admin", std::string password = "admin");
    SimUnit(const SimUnit&) = delete;
    SimUnit& operator=(const SimUnit&) = delete;

    [[nodiscard]] const std::filesystem::path& Disk() const { return disk_; }
    // "rusuroku", "naisen" and "outou", empty.
    void MakeTopFolders() const;
    // Fills the disk with messages; a failure is a fatal failure of the test.
    void Seed(const sim::SeedOptions& options = {});
    [[nodiscard]] const sim::SeedResult& Seeded() const { return seeded_; }

    // Serves the disk with these faults on `port` (0: any free port), in
    // place of a server started before; a failure is a fatal failure of the test.
    void Start(sim::Faults faults = {}, std::uint16_t port = 0);
    // Closes the listening socket and every session; the server stays to be asked.
    void Stop();
    // The port of the last start, 0 before the first.
    [[nodiscard]] std::uint16_t Port() const { return port_; }
    sim::MainUnitServer& Server() { return *server_; }
    // Applies `change` to the faults in force; the next command meets them.
    void ChangeFaults(const std::function<void(sim::Faults&)>& change);

    // A port on loopback that was just free and that nothing listens on.
    [[nodiscard]] static std::uint16_t DeadPort();

private:
    std::filesystem::path disk_;
    std::string user_;
    std::string password_;
    sim::SeedResult seeded_;
    std::unique_ptr<sim::MainUnitServer> server_;
    std::uint16_t port_ = 0;
};

}  // namespace plova::testkit
