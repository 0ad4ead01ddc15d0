#pragma once

// The settings file through the platform's private-profile calls.

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
    KeyValueList ReadSection(const std::string& section) const override;

private:
    std::string path_;
};

} // namespace store
