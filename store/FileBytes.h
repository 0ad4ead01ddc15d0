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
};

// Where ReplaceAll writes before the move. A kill can leave it behind; the next replace
// overwrites it, and nothing reads it.
inline std::string TemporaryPath(const std::string& path) {
    return path + ".tmp";
}

// The file system of the platform the program runs on; lives as long as the process.
FileBytes& SystemFileBytes();

} // namespace store
