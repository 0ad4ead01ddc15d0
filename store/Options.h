#pragma once

#include <string>

#include "store/ProfileStore.h"
#include "store/SecretProtector.h"

namespace store {

// "SaveUserPwd" counts as set only when it reads "True" in any mix of case.
bool IsSaveFlagSet(const std::string& value);

// What start-up restores. When restore is false nothing else is meaningful and "Pos" was not
// read.
struct SavedAccount {
    bool restore = false;
    int entryIndex = 0;
    std::string user;
    std::string password;
};

SavedAccount LoadSavedAccount(const ProfileStore& settings, const SecretProtector& protector);

// The save box ticked: "True", then the account, then the password (sealed).
void RememberAccount(ProfileStore& settings, const SecretProtector& protector,
                     const std::string& user, const std::string& password);

// The save box cleared, or another entry chosen: "False", empty account, empty password.
void ForgetAccount(ProfileStore& settings);

// The chosen entry's index in the sorted list.
void StoreEntryIndex(ProfileStore& settings, int index);

// The "Pwd" value for a password: sealed, marked so the reader can tell it from the clear
// text of older files. Empty when the password is empty or sealing failed.
std::string EncodeStoredPassword(const SecretProtector& protector, const std::string& password);

// The password from a "Pwd" value: opened when sealed, as it stands when clear text (older
// files), empty when a sealed value cannot be opened (another user's, damaged).
std::string DecodeStoredPassword(const SecretProtector& protector, const std::string& stored);

} // namespace store
