#pragma once

// The settings file as the whole program reads and writes it, on Windows and natively alike:
// the bytes the platform's private-profile calls would read and write (IniDocument), kept
// parsed between calls and read again only when the file's size or modification time has
// changed; every write replaces the whole file at once (FileBytes::ReplaceAll), so a kill or a
// power cut never leaves it cut short. A file in a Unicode encoding is read and written in its
// own encoding through the ANSI text (FileEncoding.h). A write that cannot reach the disk is
// forgotten, or (FailedWrites::Hold) stays in memory, where reads give it, and goes out with the
// next write that does. One object per path, used on one thread.

#include <cstddef>
#include <optional>
#include <string>

#include "store/FileBytes.h"
#include "store/FileEncoding.h"
#include "store/IniDocument.h"
#include "store/ProfileStore.h"

namespace store {

// What a write that cannot reach the disk leaves: the file as it was (the caller reports it),
// or also the write held in memory.
enum class FailedWrites { Forget, Hold };

class SettingsFile : public ProfileStore {
public:
    // Above either limit the file is TooLarge. A 32-bit process holds the file, its line
    // index and, while writing, a second copy: 64 MiB keeps that near a quarter of a GiB, and
    // holds about two million records (a record a day for five thousand years). The line
    // limit bounds the index of a file made of short garbage lines.
    static constexpr std::size_t kLargestFileBytes = std::size_t{64} << 20;
    static constexpr std::size_t kMostLines = std::size_t{4} << 20;

    // Without a codec, a file in a Unicode encoding cannot be used (FileState::Unconvertible).
    SettingsFile(FileBytes& files, std::string path, const AnsiCodec* codec = nullptr,
                 FailedWrites failedWrites = FailedWrites::Forget);

    const std::string& Path() const { return path_; }
    std::string Location() const override { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override;
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool WriteBatch(const ProfileEdits& edits) override;
    KeyValueList ReadSection(const std::string& section) const override;
    void VisitSection(const std::string& section, const SectionVisitor& visit) const override;
    FileState State() const override;
    bool HasUnsaved() const override { return !unsaved_.empty(); }
    bool WriteUnsaved() override;

private:
    enum class Restore { NothingToRestore, Restored, Kept };

    // Brings the document in line with the file when the file's stamp has changed; edits not
    // yet written are made again on what was read.
    void Refresh() const;
    void Load(const std::optional<FileStamp>& now) const;
    // The settings file is missing: a temporary file that reads as one is the whole file a
    // replace cut short left behind, and becomes it. Kept: it may be the only copy but could
    // not be moved or judged, so nothing may be written (a write would truncate it).
    Restore RestoreFromTemporary() const;
    // Writes the edited document; on failure keeps the edits to write with the next write.
    bool Save(const ProfileEdits& edits);

    FileBytes& files_;
    std::string path_;
    const AnsiCodec* codec_;
    FailedWrites failedWrites_;
    mutable IniDocument document_;
    mutable std::optional<FileStamp> stamp_; // of the file document_ was read from
    mutable FileState state_ = FileState::Readable;
    mutable FileEncoding encoding_ = FileEncoding::Ansi;
    ProfileEdits unsaved_; // made in document_, not yet on disk, in order
};

// The notice for a settings file the program cannot use (shown in a "提示" box); empty for a
// readable one.
std::string FileStateNotice(FileState state);

} // namespace store
