#pragma once

// The program's settings file, corvantile.ini in the system directory, as the tests prepare
// and inspect it.

#include <optional>
#include <string>

namespace e2e::settings {

// The system directory (asked the same way as the program does) plus the file name.
std::string Path();
bool Exists();
// Deletes the file; true when it is gone.
bool Remove();
// Replaces the file with the ANSI text given (lines may end in "\n"; written as "\r\n").
bool Write(const std::string& text);
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

} // namespace e2e::settings
