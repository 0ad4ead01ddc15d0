#pragma once

// The settings file as the whole program reads and writes it, on Windows and natively alike:
// the bytes the platform's private-profile calls would read and write (IniDocument), kept
// parsed between calls and read again only when the file's size or modification time has
// changed; every write replaces the whole file at once (FileBytes::ReplaceAll), so a kill or a
// power cut never leaves it cut short. One object per path, used on one thread.

#include <cstddef>
#include <optional>
#include <string>

#include "store/FileBytes.h"
#include "store/IniDocument.h"
#include "store/ProfileStore.h"

namespace store {

class SettingsFile : public ProfileStore {
public:
    // Above either limit the file is TooLarge. A 32-bit process holds the file, its line
    // index and, while writing, a second copy: 64 MiB keeps that near a quarter of a GiB, and
    // holds about two million records (a record a day for five thousand years). The line
    // limit bounds the index of a file made of short garbage lines.
    static constexpr std::size_t kLargestFileBytes = std::size_t{64} << 20;
    static constexpr std::size_t kMostLines = std::size_t{4} << 20;

    SettingsFile(FileBytes& files, std::string path);

    const std::string& Path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override;
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool WriteBatch(const ProfileEdits& edits) override;
    KeyValueList ReadSection(const std::string& section) const override;
    void VisitSection(const std::string& section, const SectionVisitor& visit) const override;
    FileState State() const override;

private:
    // Brings the document in line with the file when the file's stamp has changed.
    void Refresh() const;
    // Writes the edited document; on failure forgets it, so the next call reads the file.
    bool Save();

    FileBytes& files_;
    std::string path_;
    mutable IniDocument document_;
    mutable std::optional<FileStamp> stamp_; // of the file document_ was read from
    mutable FileState state_ = FileState::Readable;
};

// The notice for a settings file the program cannot use (shown in a "提示" box); empty for a
// readable one.
std::string FileStateNotice(FileState state);

} // namespace store
