#pragma once

// Settings (an IniDocument, the settings file in memory) seen through a store that notes every
// call, to check the order of reads and writes, and can be told to fail its writes.

#include <string>
#include <vector>

#include "store/IniDocument.h"

namespace store::testing {

class RecordingStore : public ProfileStore {
public:
    explicit RecordingStore(IniDocument& settings) : settings_(settings) {}

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override {
        calls.push_back("read " + section + "/" + key + " " + std::to_string(bufferChars));
        return settings_.ReadString(section, key, fallback, bufferChars);
    }
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override {
        calls.push_back("int " + section + "/" + key);
        return settings_.ReadInt(section, key, fallback);
    }
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        calls.push_back("write " + section + "/" + key + "=" + value);
        if (failWritesFrom >= 0 && writeCount_++ >= failWritesFrom) {
            return false;
        }
        writes.push_back(section + "/" + key);
        return settings_.WriteString(section, key, value);
    }
    // One write, however many edits: "batch Data/data[1]=text, Running/Record removed".
    bool WriteBatch(const ProfileEdits& edits) override {
        std::string call = "batch";
        for (const ProfileEdit& edit : edits) {
            call += (call.size() > 5 ? ", " : " ") + edit.section + "/" + edit.key +
                    (edit.value ? "=" + *edit.value : " removed");
        }
        calls.push_back(call);
        if (failWritesFrom >= 0 && writeCount_++ >= failWritesFrom) {
            return false;
        }
        for (const ProfileEdit& edit : edits) {
            writes.push_back(edit.section + "/" + edit.key);
        }
        return settings_.WriteBatch(edits);
    }
    KeyValueList ReadSection(const std::string& section) const override {
        calls.push_back("section " + section);
        return settings_.ReadSection(section);
    }

    mutable std::vector<std::string> calls;
    std::vector<std::string>
        writes;              // "section/key" of each write (or batch edit) that went through
    int failWritesFrom = -1; // index of the first write (or batch) that fails; -1 for none

private:
    IniDocument& settings_;
    int writeCount_ = 0;
};

// The value the document holds for section/key; empty when it holds none.
inline std::string StoredValue(const IniDocument& settings, const std::string& section,
                               const std::string& key) {
    return std::string(settings.Find(section, key).value_or(""));
}

} // namespace store::testing
