// FileBytes on POSIX systems (the native build and its tests).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/FileBytes.h"

namespace store {

namespace {

FileStamp StampOf(const struct stat& info) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                     static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

bool WriteWhole(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixFileBytes : public FileBytes {
public:
    std::optional<FileStamp> Stamp(const std::string& path) const override {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                return FileStamp{};
            }
            return std::nullopt;
        }
        return StampOf(info);
    }

    ReadStatus ReadAll(const std::string& path, std::size_t limit, std::string* bytes,
                       FileStamp* stamp) const override {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        }
        ReadStatus status = ReadStatus::Failed;
        struct stat info {};
        if (fstat(fd, &info) == 0) {
            status = ReadOpen(fd, static_cast<std::uint64_t>(info.st_size), limit, bytes);
            *stamp = StampOf(info);
        }
        close(fd);
        return status;
    }

    bool ReplaceAll(const std::string& path, const std::string& bytes,
                    std::optional<FileStamp>* stamp) override {
        const std::string temporary = TemporaryPath(path);
        // The new file keeps the permissions of the one it replaces.
        struct stat old {};
        const bool replacing = stat(path.c_str(), &old) == 0;
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            return false;
        }
        // (A temporary file a kill left behind keeps its own mode through the open.)
        const bool flushed = (!replacing || fchmod(fd, old.st_mode & 07777) == 0) &&
                             WriteWhole(fd, bytes) && fsync(fd) == 0;
        struct stat info {};
        const bool stamped = fstat(fd, &info) == 0;
        if (close(fd) != 0 || !flushed || rename(temporary.c_str(), path.c_str()) != 0) {
            unlink(temporary.c_str());
            return false;
        }
        // The move itself reaches the disk with the directory.
        SyncDirectory(path);
        *stamp = stamped ? std::optional<FileStamp>(StampOf(info)) : std::nullopt;
        return true;
    }

    bool MoveToFreePath(const std::string& from, const std::string& to) override {
        // link() fails when to exists: no window in which another file could be replaced.
        if (link(from.c_str(), to.c_str()) != 0) {
            return false;
        }
        unlink(from.c_str());
        SyncDirectory(to);
        return true;
    }

private:
    static void SyncDirectory(const std::string& path) {
        const int directory = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directory >= 0) {
            fsync(directory);
            close(directory);
        }
    }

    static ReadStatus ReadOpen(int fd, std::uint64_t size, std::size_t limit, std::string* bytes) {
        if (size > limit) {
            return ReadStatus::TooLarge;
        }
        bytes->clear();
        bytes->reserve(static_cast<std::size_t>(size));
        char buffer[65536];
        for (;;) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return ReadStatus::Failed;
            }
            if (got == 0) {
                return ReadStatus::Read;
            }
            // A file growing while it is read is judged by what it has become.
            if (bytes->size() + static_cast<std::size_t>(got) > limit) {
                return ReadStatus::TooLarge;
            }
            bytes->append(buffer, static_cast<std::size_t>(got));
        }
    }
};

} // namespace

FileBytes& SystemFileBytes() {
    static PosixFileBytes files;
    return files;
}

} // namespace store
