#pragma once

// Text and file helpers. The program's texts are ANSI in code page 936, and so are the string
// literals of these tests (they are compiled with that execution character set).

#include <string>
#include <vector>

namespace e2e {

inline constexpr unsigned kAnsiCodePage = 936;

std::wstring Widen(const std::string& text, unsigned codePage = kAnsiCodePage);
std::string Narrow(const std::wstring& text, unsigned codePage = kAnsiCodePage);
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);

// Reading a text in place: the decimal digits at `at` (at most nine; false when there are
// none), and a literal at `at`; both move `at` past what they read.
bool ReadNumber(const std::string& text, size_t& at, int& value);
bool ReadLiteral(const std::string& text, size_t& at, const std::string& literal);
// The lines of a text ("\n" or "\r\n" line ends); a final line end starts no further line.
std::vector<std::string> SplitLines(const std::string& text);

// "prefix-PROCESS-N", a name no other object of this run or of another driver has.
std::string UniqueName(const std::string& prefix);

// Value of an environment variable, empty when unset.
std::string GetEnv(const char* name);

// The folder of the running program (the driver's: the program under test and its helpers
// stand beside it).
std::string DriverFolder();

// "dir" + "\" + "name", without doubling the separator.
std::string JoinPath(const std::string& dir, const std::string& name);

std::string ReadFileBytes(const std::string& path, bool* exists = nullptr);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Creates the folder and its missing parents.
bool MakeFolders(const std::string& path);
// Deletes the files of the folder (not its subfolders).
void EmptyFolder(const std::string& folder);

} // namespace e2e
