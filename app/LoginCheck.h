// The login dialog's logic: filling it from the stored values, storing what
// was typed, the input checks with their messages, and the messages for the
// results of a login attempt.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/SettingsRecord.h"
#include "link/CFtpMng.h"

namespace plova {

namespace login {
constexpr std::u16string_view kCaption = u"ログイン";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kNoAddress = u"ＩＰアドレスを入力してください。";
constexpr std::u16string_view kNoUser = u"ユーザー名を入力してください。";
constexpr std::u16string_view kNoPassword = u"パスワードを入力してください。";
constexpr std::u16string_view kBadInput = u"入力値エラーです。";
constexpr std::u16string_view kConnectFailed = u"接続に失敗しました。";
constexpr std::u16string_view kLoginRefused = u"ログインに失敗しました。";
constexpr std::u16string_view kUnsupportedUnit =
    u"この主装置には対応しておりません。\r\n対応しているアプリケーションをご使用ください。";

// The user names the main unit knows (compared exactly).
constexpr std::u16string_view kKnownUsers[] = {u"qermo", u"vantel"};
}  // namespace login

// The four fields of the IP address control; an empty optional is a blank field.
using IpFields = std::array<std::optional<int>, 4>;

// "a.b.c.d" from the stored address, for filling the control; fields that
// are not decimal numbers of 0..255 stay blank.
IpFields SplitIpAddress(std::u16string_view address);
// The control's address text: empty when every field is blank (the control
// counts as blank), else four numbers with blank fields as 0.
std::u16string ComposeIpAddress(const IpFields& fields);

// What the user typed.
struct LoginInput {
    std::u16string address;  // ComposeIpAddress of the control; empty when blank
    std::u16string user;
    std::u16string password;
    bool remember = false;
};

// What the dialog shows when it opens.
LoginInput LoginDialogValues(const SettingsRecord& record);

// Copies the typed values into the stored values and the connection record
// (cut to their field sizes), sets CHECK from the remember box, and clears
// the stored values when it is not ticked.
void StoreLoginInput(SettingsRecord& record, const LoginInput& input);

// True when the code unit's low eight bits fall in 0x81..0x9F or 0xE0..0xFC
// (a lead byte of the main unit's code page).
bool HasLeadByteLowBits(char16_t c);

// The message of the first failing check, or nothing when all pass.
std::optional<std::u16string_view> CheckLoginInput(const LoginInput& input);

// The message for a failed login; empty for success.
std::u16string_view LoginFailureMessage(ftp::LoginResult result);

}  // namespace plova
