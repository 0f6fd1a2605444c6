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
    net::Socket s = net::openStream(net::Mode::NonBlocking);
    if (net::connectWithin(s, net::ipv4Address(kLoopback, port), kWaitMillis)) control_ = std::move(s);
}

std::optional<std::string> FtpTestClient::readLine(int timeoutMillis) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    for (;;) {
        auto end = buffer_.find("\r\n");
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 2);
            return line;
        }
        if (net::waitReadable(control_, millisLeft(deadline)) != net::Wait::Ready) return std::nullopt;
        char chunk[4096];
        const long n = net::receive(control_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

Reply FtpTestClient::readReply(int timeoutMillis) {
    Reply r;
    auto first = readLine(timeoutMillis);
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
            auto line = readLine(timeoutMillis);
            if (!line) break;
            r.raw += *line + "\r\n";
            last = *line;
            if (line->compare(0, 4, closing) == 0) break;
        }
    }
    r.text = last.size() > 4 && r.code >= 0 ? last.substr(4) : last;
    return r;
}

bool FtpTestClient::send(const std::string& line) {
    return control_.isOpen() && net::sendAll(control_, line + "\r\n", kWaitMillis);
}

Reply FtpTestClient::command(const std::string& line, int timeoutMillis) {
    if (!send(line)) return {};
    return readReply(timeoutMillis);
}

bool FtpTestClient::login(const std::string& user, const std::string& password) {
    if (readReply().code != 220) return false;
    if (command("USER " + user).code != 331) return false;
    return command("PASS " + password).code == 230;
}

Reply FtpTestClient::announcePort() {
    listener_ = net::openStream();
    if (!net::bindAndListen(listener_, net::ipv4Address(kLoopback, 0), 1)) return {};
    const auto at = net::localAddress(listener_);
    if (!at) return {};
    const unsigned port = net::hostPort(*at);
    return command("PORT 127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256));
}

net::Socket FtpTestClient::acceptData(int timeoutMillis) {
    net::Socket data = net::acceptWithin(listener_, timeoutMillis);
    listener_.close();
    return data;
}

std::string FtpTestClient::readAll(net::Socket& data, int timeoutMillis) {
    std::string out;
    char chunk[65536];
    while (net::waitReadable(data, timeoutMillis) == net::Wait::Ready) {
        const long n = net::receive(data, chunk, sizeof chunk);
        if (n <= 0) break;
        out.append(chunk, static_cast<std::size_t>(n));
    }
    return out;
}

FtpTestClient::Transfer FtpTestClient::transfer(const std::string& command, const std::optional<std::string>& upload) {
    Transfer t;
    t.port = announcePort();
    if (t.port.code != 200) return t;
    t.first = this->command(command);
    if (t.first.code != 150) {
        listener_.close();
        return t;
    }
    net::Socket data = acceptData();
    t.connected = data.isOpen();
    if (upload) {
        if (data.isOpen()) net::sendAll(data, *upload, kWaitMillis);
    } else {
        t.data = readAll(data);
    }
    data.close();
    t.end = readReply();
    return t;
}

bool FtpTestClient::closedByServer(int timeoutMillis) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (control_.isOpen()) {
        if (net::waitReadable(control_, millisLeft(deadline)) != net::Wait::Ready) return false;
        char chunk[4096];
        const long n = net::receive(control_, chunk, sizeof chunk);
        if (n <= 0) return true;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace plova::sim::testing
