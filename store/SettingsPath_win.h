#pragma once

#include <string>

namespace store {

// The system directory (asked with a limit of 100 characters) followed by "\corvantile.ini".
// A directory that does not fit leaves only the file name, at the root of the current drive.
std::string SettingsFilePath();

} // namespace store
