#include "sim/testing/SimUnit.h"

#include <gtest/gtest.h>

#include <utility>

namespace plova::testkit {

namespace fs = std::filesystem;

SimUnit::SimUnit(fs::path disk, std::string user, std::string password)
    : disk_(std::move(disk)), user_(std::move(user)), password_(std::move(password)) {}

void SimUnit::MakeTopFolders() const {
    for (const char* top : {"rusuroku", "naisen", "outou"}) fs::create_directories(disk_ / top);
}

void SimUnit::Seed(const sim::SeedOptions& options) {
    seeded_ = sim::SeedMainUnit(disk_, options);
    ASSERT_TRUE(seeded_.ok) << seeded_.error;
}

void SimUnit::Start(sim::Faults faults, std::uint16_t port) {
    // The old server lets go of its port before the new one binds it.
    server_.reset();
    sim::Options o;
    o.root = disk_;
    o.user = user_;
    o.password = password_;
    o.port = port;
    o.faults = std::move(faults);
    server_ = std::make_unique<sim::MainUnitServer>(o);
    ASSERT_TRUE(server_->Start()) << "the simulator did not start on port " << port;
    port_ = server_->Port();
}

void SimUnit::Stop() {
    if (server_) server_->Stop();
}

void SimUnit::ChangeFaults(const std::function<void(sim::Faults&)>& change) {
    sim::Faults f = server_->CurrentFaults();
    change(f);
    server_->SetFaults(f);
}

std::uint16_t SimUnit::DeadPort() {
    sim::Options o;
    o.root = fs::temp_directory_path();
    sim::MainUnitServer s(o);
    if (!s.Start()) return 1;
    const std::uint16_t p = s.Port();
    s.Stop();
    return p;
}

}  // namespace plova::testkit
