#include "sim/tests/FtpTestClient.h"

#include <chrono>

namespace plova::sim::testing {

namespace {
constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kWaitMillis = 5000;

int millisLeft(std::chrono::steady_clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}
}  // namespace

FtpTestClient::FtpTestClient(std::uint16_t port) {
    net::Socket s = net::OpenStream(net::Mode::NonBlocking);
    if (net::ConnectWithin(s, net::Ipv4Address(kLoopback, port), kWaitMillis)) control_ = std::move(s);
}

std::optional<std::string> FtpTestClient::ReadLine(int timeoutMillis) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    for (;;) {
        auto end = buffer_.find("\r\n");
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 2);
            return line;
        }
        if (net::WaitReadable(control_, millisLeft(deadline)) != net::Wait::Ready) return std::nullopt;
        char chunk[4096];
        const long n = net::Receive(control_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

Reply FtpTestClient::ReadReply(int timeoutMillis) {
    Reply r;
    auto first = ReadLine(timeoutMillis);
    if (!first) return r;
    r.raw = *first + "\r\n";
    auto codeOf = [](const std::string& line) {
        if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
            !std::isdigit(static_cast<unsigned char>(line[1])) || !std::isdigit(static_cast<unsigned char>(line[2]))) {
            return -1;
        }
        return std::stoi(line.substr(0, 3));
    };
    r.code = codeOf(*first);
    std::string last = *first;
    if (r.code >= 0 && first->size() > 3 && (*first)[3] == '-') {
        const std::string closing = first->substr(0, 3) + " ";
        for (;;) {
            auto line = ReadLine(timeoutMillis);
            if (!line) break;
            r.raw += *line + "\r\n";
            last = *line;
            if (line->compare(0, 4, closing) == 0) break;
        }
    }
    r.text = last.size() > 4 && r.code >= 0 ? last.substr(4) : last;
    return r;
}

bool FtpTestClient::Send(const std::string& line) {
    return control_.IsOpen() && net::SendAll(control_, line + "\r\n", kWaitMillis);
}

Reply FtpTestClient::Command(const std::string& line, int timeoutMillis) {
    if (!Send(line)) return {};
    return ReadReply(timeoutMillis);
}

bool FtpTestClient::Login(const std::string& user, const std::string& password) {
    if (ReadReply().code != 220) return false;
    if (Command("USER " + user).code != 331) return false;
    return Command("PASS " + password).code == 230;
}

Reply FtpTestClient::AnnouncePort() {
    listener_ = net::OpenStream();
    if (!net::BindAndListen(listener_, net::Ipv4Address(kLoopback, 0), 1)) return {};
    const auto at = net::LocalAddress(listener_);
    if (!at) return {};
    const unsigned port = net::HostPort(*at);
    return Command("PORT 127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256));
}

net::Socket FtpTestClient::AcceptData(int timeoutMillis) {
    net::Socket data = net::AcceptWithin(listener_, timeoutMillis);
    listener_.Close();
    return data;
}

std::string FtpTestClient::ReadAll(net::Socket& data, int timeoutMillis) {
    std::string out;
    char chunk[65536];
    while (net::WaitReadable(data, timeoutMillis) == net::Wait::Ready) {
        const long n = net::Receive(data, chunk, sizeof chunk);
        if (n <= 0) break;
        out.append(chunk, static_cast<std::size_t>(n));
    }
    return out;
}

FtpTestClient::Transfer FtpTestClient::RunTransfer(const std::string& command,
                                                   const std::optional<std::string>& upload) {
    Transfer t;
    t.port = AnnouncePort();
    if (t.port.code != 200) return t;
    t.first = this->Command(command);
    if (t.first.code != 150) {
        listener_.Close();
        return t;
    }
    net::Socket data = AcceptData();
    t.connected = data.IsOpen();
    if (upload) {
        if (data.IsOpen()) net::SendAll(data, *upload, kWaitMillis);
    } else {
        t.data = ReadAll(data);
    }
    data.Close();
    t.end = ReadReply();
    return t;
}

bool FtpTestClient::ClosedByServer(int timeoutMillis) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (control_.IsOpen()) {
        if (net::WaitReadable(control_, millisLeft(deadline)) != net::Wait::Ready) return false;
        char chunk[4096];
        const long n = net::Receive(control_, chunk, sizeof chunk);
        if (n <= 0) return true;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace plova::sim::testing
