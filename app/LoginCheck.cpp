#include "app/LoginCheck.h"

#include <algorithm>

#include "platform/Text.h"

namespace plova {
namespace {

constexpr int kFieldMax = 255;

std::optional<int> parseField(std::u16string_view piece) {
    if (piece.empty() || piece.size() > 3) return std::nullopt;
    int v = 0;
    for (char16_t c : piece) {
        if (c < u'0' || c > u'9') return std::nullopt;
        v = v * 10 + (c - u'0');
    }
    if (v > kFieldMax) return std::nullopt;
    return v;
}

bool anyLeadByte(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), HasLeadByteLowBits);
}

}  // namespace

IpFields SplitIpAddress(std::u16string_view address) {
    IpFields fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size() && start <= address.size(); ++i) {
        std::size_t dot = address.find(u'.', start);
        if (dot == std::u16string_view::npos) dot = address.size();
        fields[i] = parseField(address.substr(start, dot - start));
        start = dot + 1;
    }
    return fields;
}

std::u16string ComposeIpAddress(const IpFields& fields) {
    if (std::none_of(fields.begin(), fields.end(), [](const auto& f) { return f.has_value(); })) return {};
    std::u16string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += u'.';
        out += FromUtf8(std::to_string(std::clamp(fields[i].value_or(0), 0, kFieldMax)));
    }
    return out;
}

LoginInput LoginDialogValues(const SettingsRecord& r) {
    return LoginInput{r.ip, r.user, r.password, r.check == 1};
}

void StoreLoginInput(SettingsRecord& r, const LoginInput& in) {
    r.connection.address = FitField(in.address, settings::kIpMax);
    r.connection.user = FitField(in.user, settings::kUserMax);
    r.connection.password = FitField(in.password, settings::kPasswordMax);
    r.check = in.remember ? 1 : 0;
    if (in.remember) {
        r.ip = r.connection.address;
        r.user = r.connection.user;
        r.password = r.connection.password;
    } else {
        // Not remembered: the stored values go, the session keeps its copy.
        r.ip.clear();
        r.user.clear();
        r.password.clear();
    }
}

bool HasLeadByteLowBits(char16_t c) {
    const unsigned low = c & 0xFFu;
    return (low >= 0x81 && low <= 0x9F) || (low >= 0xE0 && low <= 0xFC);
}

std::optional<std::u16string_view> CheckLoginInput(const LoginInput& in) {
    if (in.address.empty()) return login::kNoAddress;
    if (in.user.empty()) return login::kNoUser;
    if (in.password.empty()) return login::kNoPassword;
    if (anyLeadByte(in.user)) return login::kBadInput;
    if (std::find(std::begin(login::kKnownUsers), std::end(login::kKnownUsers), in.user) ==
        std::end(login::kKnownUsers))
        return login::kBadInput;
    if (anyLeadByte(in.password)) return login::kBadInput;
    return std::nullopt;
}

std::u16string_view LoginFailureMessage(ftp::LoginResult result) {
    switch (result) {
    case ftp::LoginResult::Ok: return {};
    case ftp::LoginResult::Refused: return login::kLoginRefused;
    case ftp::LoginResult::UnsupportedModel: return login::kUnsupportedUnit;
    case ftp::LoginResult::ConnectFailed: break;
    }
    return login::kConnectFailed;
}

}  // namespace plova
