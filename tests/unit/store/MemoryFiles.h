#pragma once

// Files in memory for the settings file's tests: counts what is read and replaced, can be
// told to fail, and lets a test change a file behind the store's back.

#include <map>
#include <string>

#include "store/FileBytes.h"

namespace store::testing {

class MemoryFiles : public FileBytes {
public:
    std::optional<FileStamp> Stamp(const std::string& path) const override {
        const auto found = files.find(path);
        if (found == files.end()) {
            return FileStamp{};
        }
        return FileStamp{true, claimedSize.value_or(found->second.size()), versions_.at(path)};
    }
    ReadStatus ReadAll(const std::string& path, std::size_t limit, std::string* bytes,
                       FileStamp* stamp) const override {
        ++reads;
        if (failReads) {
            return ReadStatus::Failed;
        }
        const auto found = files.find(path);
        if (found == files.end()) {
            return ReadStatus::Missing;
        }
        *stamp = *Stamp(path);
        if (stamp->size > limit) {
            return ReadStatus::TooLarge;
        }
        *bytes = found->second;
        return ReadStatus::Read;
    }
    bool ReplaceAll(const std::string& path, const std::string& bytes,
                    std::optional<FileStamp>* stamp) override {
        ++replaces;
        if (failReplaces) {
            return false;
        }
        Put(path, bytes);
        *stamp = Stamp(path);
        return true;
    }

    bool MoveToFreePath(const std::string& from, const std::string& to) override {
        ++moves;
        if (failMoves || files.count(to) != 0 || files.count(from) == 0) {
            return false;
        }
        Put(to, files[from]);
        files.erase(from);
        return true;
    }

    // Another program's write: a new version of the file.
    void Put(const std::string& path, const std::string& bytes) {
        files[path] = bytes;
        versions_[path] = ++version_;
    }

    std::map<std::string, std::string> files;
    std::optional<std::uint64_t> claimedSize; // the size every stamp reports, when set
    bool failReads = false;
    bool failReplaces = false;
    bool failMoves = false;
    mutable int reads = 0;
    int replaces = 0;
    int moves = 0;

private:
    std::map<std::string, std::int64_t> versions_;
    std::int64_t version_ = 0;
};

} // namespace store::testing
