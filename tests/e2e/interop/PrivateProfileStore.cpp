#include "tests/e2e/interop/PrivateProfileStore.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace store {

namespace {

constexpr DWORD kFirstSectionBuffer = 32 * 1024;
constexpr DWORD kLargestSectionBuffer = 256u * 1024 * 1024;

} // namespace

PrivateProfileStore::PrivateProfileStore(std::string path) : path_(std::move(path)) {}

std::string PrivateProfileStore::ReadString(const std::string& section, const std::string& key,
                                            const std::string& fallback,
                                            std::size_t bufferChars) const {
    if (bufferChars == 0) {
        return {};
    }
    // Zeroed: when the last character does not fit whole, the call leaves its byte untouched.
    std::vector<char> buffer(bufferChars, '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                             static_cast<DWORD>(bufferChars), path_.c_str());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

int PrivateProfileStore::ReadInt(const std::string& section, const std::string& key,
                                 int fallback) const {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path_.c_str()));
}

bool PrivateProfileStore::WriteString(const std::string& section, const std::string& key,
                                      const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) !=
           FALSE;
}

bool PrivateProfileStore::WriteBatch(const ProfileEdits& edits) {
    bool written = true;
    for (const ProfileEdit& edit : edits) {
        written = WritePrivateProfileStringA(edit.section.c_str(), edit.key.c_str(),
                                             edit.value ? edit.value->c_str() : nullptr,
                                             path_.c_str()) != FALSE &&
                  written;
    }
    return written;
}

KeyValueList PrivateProfileStore::ReadSection(const std::string& section) const {
    // The call cuts a section that does not fit and then returns size - 2: grow until it fits.
    std::vector<char> buffer;
    DWORD size = kFirstSectionBuffer;
    DWORD length = 0;
    for (;;) {
        buffer.assign(size, '\0');
        length = GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, path_.c_str());
        if (length + 2 < size || size >= kLargestSectionBuffer) {
            break;
        }
        size *= 2;
    }
    KeyValueList entries;
    const char* entry = buffer.data();
    const char* end = buffer.data() + length;
    while (entry < end && *entry != '\0') {
        const std::size_t entryLength = std::strlen(entry);
        const char* equals = static_cast<const char*>(std::memchr(entry, '=', entryLength));
        if (equals != nullptr) {
            entries.emplace_back(std::string(entry, equals),
                                 std::string(equals + 1, entry + entryLength));
        } else {
            entries.emplace_back(std::string(entry, entryLength), std::string());
        }
        entry += entryLength + 1;
    }
    return entries;
}

} // namespace store
