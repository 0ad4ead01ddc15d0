#pragma once

// A settings file that also notes every call, to check the order of reads and writes, and
// can be told to fail its writes.

#include <string>
#include <vector>

#include "store/IniFile.h"

namespace store::testing {

class RecordingStore : public ProfileStore {
public:
    explicit RecordingStore(std::string path) : file_(std::move(path)) {}

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override {
        calls.push_back("read " + section + "/" + key + " " + std::to_string(bufferChars));
        return file_.ReadString(section, key, fallback, bufferChars);
    }
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override {
        calls.push_back("int " + section + "/" + key);
        return file_.ReadInt(section, key, fallback);
    }
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        calls.push_back("write " + section + "/" + key + "=" + value);
        if (failWritesFrom >= 0 && writes++ >= failWritesFrom) {
            return false;
        }
        return file_.WriteString(section, key, value);
    }
    KeyValueList ReadSection(const std::string& section) const override {
        calls.push_back("section " + section);
        return file_.ReadSection(section);
    }

    mutable std::vector<std::string> calls;
    int failWritesFrom = -1; // index of the first write that fails; -1 for none

private:
    IniFile file_;
    int writes = 0;
};

} // namespace store::testing
