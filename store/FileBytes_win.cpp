// FileBytes on Windows: the program's settings file.

#include <windows.h>

#include <algorithm>

#include "framework/Handles.h"
#include "store/FileBytes.h"

namespace store {

namespace {

FileStamp StampOf(DWORD sizeHigh, DWORD sizeLow, const FILETIME& written) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    stamp.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
    return stamp;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Another process that has the file open without sharing its deletion (a backup or search
// tool, an editor) makes the move fail while it holds the file; a read-only file or one the user
// may not replace fails it for good.
ReplaceObstacle ObstacleOf(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return ReplaceObstacle::HeldByAnother;
    case ERROR_ACCESS_DENIED:
        return ReplaceObstacle::Denied;
    default:
        return ReplaceObstacle::Other;
    }
}

constexpr DWORD kReplaceRetryStepMs = 10;

bool MoveOver(const std::string& from, const std::string& to) {
    const DWORD began = GetTickCount();
    for (;;) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (!RetryReplace(ObstacleOf(GetLastError()), GetTickCount() - began)) {
            return false;
        }
        Sleep(kReplaceRetryStepMs);
    }
}

class Win32FileBytes : public FileBytes {
public:
    std::optional<FileStamp> Stamp(const std::string& path) const override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            if (IsMissing(GetLastError())) {
                return FileStamp{};
            }
            return std::nullopt;
        }
        return StampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
    }

    ReadStatus ReadAll(const std::string& path, std::size_t limit, std::string* bytes,
                       FileStamp* stamp) const override {
        // Shared for every use, so that reading never stands in the way of a replace.
        const fw::UniqueHandle file(CreateFileA(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file == INVALID_HANDLE_VALUE) {
            return IsMissing(GetLastError()) ? ReadStatus::Missing : ReadStatus::Failed;
        }
        ReadStatus status = ReadStatus::Failed;
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(file, &info)) {
            *stamp = StampOf(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
            status = ReadOpen(file, stamp->size, limit, bytes);
        }
        return status;
    }

    bool ReplaceAll(const std::string& path, const std::string& bytes,
                    std::optional<FileStamp>* stamp) override {
        const std::string temporary = TemporaryPath(path);
        fw::UniqueHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        bool flushed = true;
        std::size_t done = 0;
        while (flushed && done < bytes.size()) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            flushed =
                WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
            done += written;
        }
        flushed = flushed && FlushFileBuffers(file);
        // Closed before the move: the file may not be moved while it is open.
        file.Reset();
        if (!flushed || !MoveOver(temporary, path)) {
            DeleteFileA(temporary.c_str());
            return false;
        }
        // Asked after the move: the system may set the time of the last write as late as when
        // the handle closes.
        *stamp = Stamp(path);
        return true;
    }

    bool MoveToFreePath(const std::string& from, const std::string& to) override {
        // Without MOVEFILE_REPLACE_EXISTING the move fails when something is at to.
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    }

private:
    static ReadStatus ReadOpen(HANDLE file, std::uint64_t size, std::size_t limit,
                               std::string* bytes) {
        if (size > limit) {
            return ReadStatus::TooLarge;
        }
        bytes->clear();
        bytes->reserve(static_cast<std::size_t>(size));
        char buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
                return ReadStatus::Failed;
            }
            if (got == 0) {
                return ReadStatus::Read;
            }
            // A file growing while it is read is judged by what it has become.
            if (bytes->size() + got > limit) {
                return ReadStatus::TooLarge;
            }
            bytes->append(buffer, got);
        }
    }
};

} // namespace

FileBytes& SystemFileBytes() {
    static Win32FileBytes files;
    return files;
}

} // namespace store
