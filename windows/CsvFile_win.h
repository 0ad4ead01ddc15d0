#pragma once

// The statistics window's export: where to, and writing the file.

#include <optional>
#include <string>

#include "framework/Wnd.h"

// The path the user chose in the system's save dialog (default name "kelvorin.csv"), or
// nothing when it was cancelled.
std::optional<std::string> AskCsvPath(const CWnd& owner);

// Replaces the file with the text (code page 936) in UTF-8 behind a byte-order mark, whole
// (plan::WriteCsvFile): a write that fails leaves the old file as it was. False when it could
// not be written.
bool WriteUtf8File(const std::string& path, const std::string& text);

// The notice for a file that could not be written.
std::string CsvNotWrittenNotice(const std::string& path);
