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
    // A sealed password this user cannot open (the file came from another user or computer):
    // the password is empty and is not to be shown as remembered; the user is told.
    bool passwordUnreadable = false;
};

SavedAccount LoadSavedAccount(const ProfileStore& settings, const SecretProtector& protector);

// The save box ticked: "True", then the account, then the password (sealed). False when the
// password cannot be sealed: then nothing is remembered (as ForgetAccount leaves it), never an
// empty password in place of the user's.
bool RememberAccount(ProfileStore& settings, const SecretProtector& protector,
                     const std::string& user, const std::string& password);

// What the user is told, once, when a password cannot be sealed or a stored one opened.
extern const char* const kPasswordNotSealedNotice;
extern const char* const kPasswordUnreadableNotice;

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
