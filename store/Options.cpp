#include "store/Options.h"

#include <optional>

#include "store/SettingsKeys.h"

namespace store {

namespace {

// A sealed password is stored as this marker and the sealed bytes in hex. Braces open no
// password a person types by habit, and older files hold clear text without it.
constexpr std::string_view kSealedMarker = "{sealed}";

constexpr std::size_t kFlagBufferChars = 100;
constexpr std::size_t kUserBufferChars = 100;
constexpr std::size_t kClearPwdBufferChars = 200;
// Room for the hex of a sealed password (the platform's blob is a few hundred bytes).
constexpr std::size_t kSealedPwdBufferChars = 8192;

char HexDigit(unsigned value) {
    return "0123456789abcdef"[value & 0xF];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

bool IsSealed(std::string_view stored) {
    return stored.substr(0, kSealedMarker.size()) == kSealedMarker;
}

// Nothing when sealing failed.
std::optional<std::string> SealPassword(const SecretProtector& protector,
                                        const std::string& password) {
    if (password.empty()) {
        return std::string();
    }
    const std::optional<std::string> sealed = protector.Seal(password);
    if (!sealed) {
        return std::nullopt;
    }
    std::string stored(kSealedMarker);
    stored.reserve(kSealedMarker.size() + sealed->size() * 2);
    for (unsigned char byte : *sealed) {
        stored.push_back(HexDigit(byte >> 4));
        stored.push_back(HexDigit(byte));
    }
    return stored;
}

// Nothing when a sealed value cannot be opened.
std::optional<std::string> OpenPassword(const SecretProtector& protector,
                                        const std::string& stored) {
    if (!IsSealed(stored)) {
        return stored;
    }
    const std::optional<std::string> sealed =
        FromHex(std::string_view(stored).substr(kSealedMarker.size()));
    if (!sealed) {
        return std::nullopt;
    }
    return protector.Open(*sealed);
}

} // namespace

const char* const kPasswordNotSealedNotice = "密码无法加密保存，本次没有保存用户名和密码。";
const char* const kPasswordUnreadableNotice =
    "保存的密码无法解密（设置文件可能来自其他用户或计算机），请重新输入密码。"
    "要保存它，请再勾选“在这台计算机上保存用户名和密码”。";

bool IsSaveFlagSet(const std::string& value) {
    const std::string_view expected = keys::kTrue;
    if (value.size() != expected.size()) {
        return false;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        char e = expected[i];
        if (e >= 'A' && e <= 'Z') {
            e = static_cast<char>(e - 'A' + 'a');
        }
        if (c != e) {
            return false;
        }
    }
    return true;
}

SavedAccount LoadSavedAccount(const ProfileStore& settings, const SecretProtector& protector) {
    SavedAccount account;
    const std::string flag =
        settings.ReadString(keys::kOption, keys::kSaveUserPwd, "", kFlagBufferChars);
    if (!IsSaveFlagSet(flag)) {
        return account;
    }
    account.restore = true;
    account.entryIndex = settings.ReadInt(keys::kOption, keys::kPos, 0);
    account.user = settings.ReadString(keys::kOption, keys::kUser, "", kUserBufferChars);
    std::string stored = settings.ReadString(keys::kOption, keys::kPwd, "", kSealedPwdBufferChars);
    if (!IsSealed(stored)) {
        // Clear text of an older file: exactly what the 200-character read gives.
        stored = settings.ReadString(keys::kOption, keys::kPwd, "", kClearPwdBufferChars);
    }
    const std::optional<std::string> password = OpenPassword(protector, stored);
    account.password = password.value_or(std::string());
    account.passwordUnreadable = !password.has_value();
    return account;
}

bool RememberAccount(ProfileStore& settings, const SecretProtector& protector,
                     const std::string& user, const std::string& password) {
    const std::optional<std::string> stored = SealPassword(protector, password);
    if (!stored) {
        ForgetAccount(settings);
        return false;
    }
    settings.WriteString(keys::kOption, keys::kSaveUserPwd, keys::kTrue);
    settings.WriteString(keys::kOption, keys::kUser, user);
    settings.WriteString(keys::kOption, keys::kPwd, *stored);
    return true;
}

void ForgetAccount(ProfileStore& settings) {
    settings.WriteString(keys::kOption, keys::kSaveUserPwd, keys::kFalse);
    settings.WriteString(keys::kOption, keys::kUser, "");
    settings.WriteString(keys::kOption, keys::kPwd, "");
}

void StoreEntryIndex(ProfileStore& settings, int index) {
    settings.WriteString(keys::kOption, keys::kPos, std::to_string(index));
}

std::string EncodeStoredPassword(const SecretProtector& protector, const std::string& password) {
    return SealPassword(protector, password).value_or(std::string());
}

std::string DecodeStoredPassword(const SecretProtector& protector, const std::string& stored) {
    return OpenPassword(protector, stored).value_or(std::string());
}

} // namespace store
