#include "store/IniFile.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "store/IniDocument.h"

namespace store {

namespace {

// The file's bytes; empty when it does not exist; nothing when it exists but cannot be read
// (then it must not be overwritten with what little a write knows).
std::optional<std::string> LoadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code error;
        const bool exists = std::filesystem::exists(path, error);
        if (exists || error) {
            return std::nullopt;
        }
        return std::string();
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return std::move(content).str();
}

IniDocument LoadForReading(const std::string& path) {
    std::optional<std::string> bytes = LoadBytes(path);
    return IniDocument(bytes ? std::move(*bytes) : std::string());
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback, std::size_t bufferChars) const {
    return LoadForReading(path_).ReadString(section, key, fallback, bufferChars);
}

int IniFile::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    return LoadForReading(path_).ReadInt(section, key, fallback);
}

bool IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::optional<std::string> bytes = LoadBytes(path_);
    if (!bytes) {
        return false;
    }
    IniDocument document(std::move(*bytes));
    if (!document.Set(section, key, value)) {
        return true; // the value was already there, as the platform also leaves the file alone
    }
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(document.Bytes().data(), static_cast<std::streamsize>(document.Bytes().size()));
    out.close();
    return static_cast<bool>(out);
}

KeyValueList IniFile::ReadSection(const std::string& section) const {
    return LoadForReading(path_).Section(section);
}

} // namespace store
