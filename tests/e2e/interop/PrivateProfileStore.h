#pragma once

// A settings file through the platform's private-profile calls. The program reads and writes
// its file with SettingsFile; the checks use this to prove that the platform reads what
// SettingsFile writes, and writes what SettingsFile would.

#include <string>

#include "store/ProfileStore.h"

namespace store {

class PrivateProfileStore : public ProfileStore {
public:
    explicit PrivateProfileStore(std::string path);

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override;
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    // One call per edit (a removal writes no value): not one write, unlike SettingsFile.
    bool WriteBatch(const ProfileEdits& edits) override;
    KeyValueList ReadSection(const std::string& section) const override;

private:
    std::string path_;
};

} // namespace store
