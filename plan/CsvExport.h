#pragma once

// The connection log as a CSV file for a spreadsheet.

#include <string>
#include <vector>

#include "store/ConnectionRecord.h"
#include "store/FileBytes.h"

namespace plan {

inline constexpr const char* kCsvHeading =
    "日期,开始时间,下线时间,秒数,时长,连接名称,连接方式,接收字节,发送字节";
inline constexpr const char* kDialedText = "本程序拨号";
inline constexpr const char* kTakenOverText = "接管";

// A heading line, then one row per record in the order they were logged (oldest first), each
// line ending in CRLF. Readable records give "2003-09-03", the start time ("14:07:46", with
// its date in front when the connection began the day before), the hang-up time, the seconds
// counted and "1:02:05"; unreadable ones their date, seconds and time parts as stored, with
// start and length empty. Then the connection's detail: the entry name, "本程序拨号" or
// "接管", the bytes received and sent; empty fields for a record without a detail, and for
// counts the line did not give. Texts without the "," or the "@" are not connections and are
// left out, as the statistics window leaves them out. Fields holding a comma, quote or line
// break are quoted (RFC 4180); a stored text (a part, the entry name) beginning with = + - @
// (also after blanks), a tab or a CR gets a leading ' so that a spreadsheet shows it rather
// than running it as a formula.
//
// The text is in the program's code page (936): the Win32 side converts it to UTF-8 and
// writes the byte-order mark, by which spreadsheets know the encoding.
std::string ExportCsv(const std::vector<store::DetailedRecord>& records);

// The export, already in UTF-8, as the file at path: the byte-order mark, then the text. Written
// through the writer that replaces a file whole (a temporary file beside it, then moved over
// it), so a write that fails leaves the file that was there as it was. False when nothing was
// written.
bool WriteCsvFile(store::FileBytes& files, const std::string& path, const std::string& utf8Csv);

} // namespace plan
