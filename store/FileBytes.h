#pragma once

// The whole-file access the settings file needs, and nothing more: read all bytes, replace all
// bytes. PosixFileBytes.cpp implements it natively, FileBytes_win.cpp on Windows; tests hand
// in their own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace store {

// What tells one version of a file from the next without reading it.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // the platform's units
    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && modified == other.modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

enum class ReadStatus { Read, Missing, TooLarge, Failed };

class FileBytes {
public:
    virtual ~FileBytes() = default;

    // The file's stamp as it is now; nothing when that cannot be told.
    virtual std::optional<FileStamp> Stamp(const std::string& path) const = 0;

    // The whole file into *bytes and the stamp of what was read into *stamp, unless it holds
    // more than limit bytes (then nothing is read: TooLarge).
    virtual ReadStatus ReadAll(const std::string& path, std::size_t limit, std::string* bytes,
                               FileStamp* stamp) const = 0;

    // Replaces the file, or creates it, so that whenever the process or the machine stops
    // the path holds either the whole old file or the whole new one: the bytes go to a
    // temporary file beside it (TemporaryPath), which is flushed and then moved over it.
    // *stamp is the new file's stamp, or nothing when it cannot be told. False when the file
    // was left as it was.
    virtual bool ReplaceAll(const std::string& path, const std::string& bytes,
                            std::optional<FileStamp>* stamp) = 0;

    // Moves the file from to the path to, flushed, only while nothing is at to. False when
    // the file was left where it was.
    virtual bool MoveToFreePath(const std::string& from, const std::string& to) = 0;
};

// Where ReplaceAll writes before the move. A kill can leave it behind; the next replace
// overwrites it. Where the file system cannot move over a file at once (FAT32), a power cut
// between removing the old file and the move leaves it as the only copy: SettingsFile then
// makes it the settings file again before anything is written.
inline std::string TemporaryPath(const std::string& path) {
    return path + ".tmp";
}

// Why the move of a replace failed: another program holds the file open (it lets go soon), the
// file may not be replaced at all (read-only, no right to it: waiting changes nothing), or
// anything else.
enum class ReplaceObstacle { HeldByAnother, Denied, Other };

// The user-interface thread waits this long at most for a holder to let go.
inline constexpr std::uint32_t kHolderWaitMs = 200;

// Whether to try the move again after waitedMs of trying.
inline bool RetryReplace(ReplaceObstacle obstacle, std::uint32_t waitedMs) {
    return obstacle == ReplaceObstacle::HeldByAnother && waitedMs < kHolderWaitMs;
}

// The file system of the platform the program runs on; lives as long as the process.
FileBytes& SystemFileBytes();

} // namespace store
