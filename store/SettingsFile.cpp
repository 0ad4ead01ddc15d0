#include "store/SettingsFile.h"

#include "store/IniLine.h"

namespace store {

namespace {

// Whether the bytes hold at least one section header: what a settings file, whole or cut
// short, starts with, and what an empty or garbled temporary file lacks.
bool HasSection(std::string_view text) {
    std::size_t start = ini::FirstLineStart(text);
    bool previousUnnamed = false;
    while (start < text.size()) {
        const ini::Line line = ini::ParseLine(text, start, previousUnnamed);
        if (line.isSection) {
            return true;
        }
        previousUnnamed = line.lastKeyUnnamed;
        start = line.next;
    }
    return false;
}

} // namespace

SettingsFile::SettingsFile(FileBytes& files, std::string path, const AnsiCodec* codec,
                           FailedWrites failedWrites)
    : files_(files), path_(std::move(path)), codec_(codec), failedWrites_(failedWrites) {}

void SettingsFile::Refresh() const {
    std::optional<FileStamp> now = files_.Stamp(path_);
    if (now && stamp_ && *now == *stamp_) {
        return;
    }
    if (now && !now->exists) {
        switch (RestoreFromTemporary()) {
        case Restore::NothingToRestore:
            break;
        case Restore::Restored:
            now = files_.Stamp(path_);
            break;
        case Restore::Kept:
            document_ = IniDocument();
            stamp_.reset();
            state_ = FileState::Unreadable;
            return;
        }
    }
    Load(now);
    if (state_ == FileState::Readable && !unsaved_.empty()) {
        document_.Apply(unsaved_);
    }
}

void SettingsFile::Load(const std::optional<FileStamp>& now) const {
    document_ = IniDocument();
    encoding_ = FileEncoding::Ansi;
    stamp_ = now;
    if (now && !now->exists) {
        state_ = FileState::Readable;
        return;
    }
    if (now && now->size > kLargestFileBytes) {
        state_ = FileState::TooLarge;
        return;
    }
    std::string bytes;
    FileStamp read;
    switch (files_.ReadAll(path_, kLargestFileBytes, &bytes, &read)) {
    case ReadStatus::Read: {
        stamp_ = read;
        encoding_ = DetectEncoding(bytes);
        if (encoding_ != FileEncoding::Ansi) {
            std::optional<std::string> text =
                codec_ ? DecodeFile(*codec_, encoding_, bytes) : std::nullopt;
            if (!text) {
                state_ = FileState::Unconvertible;
                return;
            }
            bytes = std::move(*text);
        }
        if (ini::LineCountBound(bytes) > kMostLines) {
            state_ = FileState::TooLarge;
            return;
        }
        document_ = IniDocument(std::move(bytes));
        state_ = FileState::Readable;
        return;
    }
    case ReadStatus::Missing:
        stamp_ = FileStamp{};
        state_ = FileState::Readable;
        return;
    case ReadStatus::TooLarge:
        state_ = FileState::TooLarge;
        return;
    case ReadStatus::Failed:
        break;
    }
    // Asked again at the next call: another program may only be holding it for a moment.
    stamp_.reset();
    state_ = FileState::Unreadable;
}

SettingsFile::Restore SettingsFile::RestoreFromTemporary() const {
    const std::string temporary = TemporaryPath(path_);
    std::string bytes;
    FileStamp read;
    switch (files_.ReadAll(temporary, kLargestFileBytes, &bytes, &read)) {
    case ReadStatus::Missing:
        return Restore::NothingToRestore;
    case ReadStatus::Read:
        break;
    case ReadStatus::TooLarge:
    case ReadStatus::Failed:
        return Restore::Kept;
    }
    const FileEncoding encoding = DetectEncoding(bytes);
    std::optional<std::string> text = std::move(bytes);
    if (encoding != FileEncoding::Ansi) {
        // Judged by its text when that can be read; else it is kept as it is.
        text = codec_ ? DecodeFile(*codec_, encoding, *text) : std::nullopt;
        if (!text) {
            return Restore::Kept;
        }
    }
    if (!HasSection(*text)) {
        return Restore::NothingToRestore; // a replace that never got far: nothing to keep
    }
    return files_.MoveToFreePath(temporary, path_) ? Restore::Restored : Restore::Kept;
}

bool SettingsFile::Save(const ProfileEdits& edits) {
    std::optional<FileStamp> written;
    const std::optional<std::string> bytes =
        encoding_ == FileEncoding::Ansi ? std::optional<std::string>(document_.Bytes())
        : codec_                        ? EncodeFile(*codec_, encoding_, document_.Bytes())
                                        : std::nullopt;
    if (bytes && files_.ReplaceAll(path_, *bytes, &written)) {
        stamp_ = written;
        unsaved_.clear();
        return true;
    }
    if (failedWrites_ == FailedWrites::Forget) {
        stamp_.reset(); // the next call reads what is on disk
        return false;
    }
    // The file is as it was: its stamp stays, so it is not read again (a read of the whole file
    // each time) until another program changes it.
    unsaved_.insert(unsaved_.end(), edits.begin(), edits.end());
    return false;
}

bool SettingsFile::WriteUnsaved() {
    Refresh();
    if (unsaved_.empty()) {
        return true;
    }
    if (state_ != FileState::Readable) {
        return false;
    }
    return Save({});
}

std::string SettingsFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& fallback, std::size_t bufferChars) const {
    Refresh();
    return document_.ReadString(section, key, fallback, bufferChars);
}

int SettingsFile::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    Refresh();
    return document_.ReadInt(section, key, fallback);
}

bool SettingsFile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
    Refresh();
    if (state_ != FileState::Readable) {
        return false;
    }
    // An unchanged value leaves the file alone, as the platform's call does.
    return !document_.Set(section, key, value) || Save({{section, key, value}});
}

bool SettingsFile::WriteBatch(const ProfileEdits& edits) {
    Refresh();
    if (state_ != FileState::Readable) {
        return false;
    }
    return !document_.Apply(edits) || Save(edits);
}

KeyValueList SettingsFile::ReadSection(const std::string& section) const {
    Refresh();
    return document_.Section(section);
}

void SettingsFile::VisitSection(const std::string& section, const SectionVisitor& visit) const {
    Refresh();
    document_.VisitSection(section, visit);
}

FileState SettingsFile::State() const {
    Refresh();
    return state_;
}

std::string FileStateNotice(FileState state) {
    switch (state) {
    case FileState::Readable:
        break;
    case FileState::TooLarge:
        return "设置文件 corvantile.ini 太大（超过 64 MB "
               "或四百万行），无法读取。为了不毁掉其中的上网记录，"
               "程序不会写入这个文件：新的上网记录和设置都无法保存。";
    case FileState::Unreadable:
        return "设置文件 corvantile.ini 无法读取。为了不毁掉其中的上网记录，程序不会写入这个文件："
               "新的上网记录和设置都无法保存。";
    case FileState::Unconvertible:
        return "设置文件 corvantile.ini 以 Unicode 保存，其中有无法转换为简体中文（GBK）的字符，"
               "程序无法读取。为了不毁掉其中的上网记录，程序不会写入这个文件："
               "新的上网记录和设置都无法保存。";
    }
    return {};
}

} // namespace store
