#include "store/SettingsPath_win.h"

#include <windows.h>

#include "store/SettingsKeys.h"

namespace store {

std::string SettingsFilePath() {
    char directory[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(directory, keys::kSystemDirLimit);
    // A system directory longer than the usual limit is asked for again in full rather than
    // putting the file somewhere else.
    if (length >= keys::kSystemDirLimit) {
        length = GetSystemDirectoryA(directory, MAX_PATH);
    }
    std::string path;
    if (length > 0 && length < MAX_PATH) {
        path.assign(directory, length);
    }
    return path + keys::kFileName;
}

} // namespace store
