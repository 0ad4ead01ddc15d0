#pragma once

// The settings file read and written by this program itself, where the platform's
// private-profile calls are not available (native builds and tests). Each call reads the
// whole file and a write rewrites it, so nothing is held open between calls.

#include <string>

#include "store/ProfileStore.h"

namespace store {

class IniFile : public ProfileStore {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

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
