#include "store/SettingsPath_win.h"

#include <windows.h>

#include "store/SettingsKeys.h"

namespace store {

std::string SettingsFilePath() {
    char directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(directory, keys::kSystemDirLimit);
    std::string path;
    if (length > 0 && length < keys::kSystemDirLimit) {
        path.assign(directory, length);
    }
    return path + keys::kFileName;
}

} // namespace store
