#include "Text.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

std::wstring Widen(const std::string& text, unsigned codePage) {
    if (text.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& text, unsigned codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        size, nullptr, nullptr);
    return narrow;
}

std::string AnsiToUtf8(const std::string& ansi) {
    return Narrow(Widen(ansi), CP_UTF8);
}

std::string Utf8ToAnsi(const std::string& utf8) {
    return Narrow(Widen(utf8, CP_UTF8));
}

bool ReadNumber(const std::string& text, size_t& at, int& value) {
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 9) {
        value = value * 10 + (text[at++] - '0');
    }
    return at > start;
}

bool ReadLiteral(const std::string& text, size_t& at, const std::string& literal) {
    if (text.compare(at, literal.size(), literal) != 0) {
        return false;
    }
    at += literal.size();
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        lines.push_back(text.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r') {
            lines.back().pop_back();
        }
        start = end + 1;
    }
    return lines;
}

std::string UniqueName(const std::string& prefix) {
    static int counter = 0;
    return prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

std::string GetEnv(const char* name) {
    char buffer[4096];
    const DWORD size = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return size > 0 && size < sizeof buffer ? std::string(buffer, size) : std::string();
}

std::string DriverFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    const char last = dir.back();
    return (last == '\\' || last == '/') ? dir + name : dir + "\\" + name;
}

std::string ReadFileBytes(const std::string& path, bool* exists) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (exists) {
        *exists = file != nullptr;
    }
    if (!file) {
        return bytes;
    }
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2) {
        MakeFolders(path.substr(0, slash));
    }
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA(JoinPath(folder, found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace e2e
