#pragma once

// The program's settings file, corvantile.ini in the system directory, as the tests prepare
// and inspect it.

#include <windows.h>

#include <optional>
#include <string>

namespace e2e::settings {

// The system directory (asked the same way as the program does) plus the file name.
std::string Path();
bool Exists();
// Deletes the file; true when it is gone.
bool Remove();
// Replaces the file with the ANSI text given (lines may end in "\n"; written as "\r\n"). The
// platform's profile reader keeps a file cached while its modification time stays the same, so
// a rewrite within the same tick moves the time on.
bool Write(const std::string& text);
// The file's modification time (zero when there is no file), and setting it.
FILETIME WriteTime();
bool SetWriteTime(const FILETIME& written);
// The file's bytes; empty when it does not exist.
std::string Bytes();

// A value as the platform's profile reader gives it; empty when the key is missing. The
// reader keeps files cached by their modification time, so its cache is dropped first.
std::optional<std::string> Value(const std::string& section, const std::string& key);

// The same from the bytes of the file, by a reader of our own (no cache in between): the
// first "key=value" line of the section (as the platform reads it), key compared without regard to
// case, spaces trimmed.
std::optional<std::string> ValueInText(const std::string& text, const std::string& section,
                                       const std::string& key);
// ValueInText of the file as it is now.
std::optional<std::string> Stored(const std::string& section, const std::string& key);
// The record counter "[Memory] MaxDataNumber" and the record "[Data] data[number]" as stored.
std::optional<std::string> RecordCounter();
std::optional<std::string> Record(int number);

} // namespace e2e::settings

namespace e2e {

// Keeps the settings file open without sharing for as long as it lives, as another program
// can: every write to it fails. (Its read-only attribute would not do: Wine maps it to the
// file's mode bits, which do not stop a process running as root.)
class LockedSettings {
public:
    LockedSettings()
        : m_file(CreateFileA(settings::Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedSettings() {
        if (Held()) {
            CloseHandle(m_file);
        }
    }
    LockedSettings(const LockedSettings&) = delete;
    LockedSettings& operator=(const LockedSettings&) = delete;
    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

} // namespace e2e
