#include "store/SettingsFile.h"

#include "store/IniLine.h"

namespace store {

SettingsFile::SettingsFile(FileBytes& files, std::string path)
    : files_(files), path_(std::move(path)) {}

void SettingsFile::Refresh() const {
    const std::optional<FileStamp> now = files_.Stamp(path_);
    if (now && stamp_ && *now == *stamp_) {
        return;
    }
    document_ = IniDocument();
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
    case ReadStatus::Read:
        stamp_ = read;
        if (ini::LineCountBound(bytes) > kMostLines) {
            state_ = FileState::TooLarge;
            return;
        }
        document_ = IniDocument(std::move(bytes));
        state_ = FileState::Readable;
        return;
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

bool SettingsFile::Save() {
    std::optional<FileStamp> written;
    if (files_.ReplaceAll(path_, document_.Bytes(), &written)) {
        stamp_ = written;
        return true;
    }
    stamp_.reset();
    return false;
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
    return !document_.Set(section, key, value) || Save();
}

bool SettingsFile::WriteBatch(const ProfileEdits& edits) {
    Refresh();
    if (state_ != FileState::Readable) {
        return false;
    }
    return !document_.Apply(edits) || Save();
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
    }
    return {};
}

} // namespace store
