#pragma once

// What the statistics window shows and adds up, apart from the window itself.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/ConnectionRecord.h"
#include "store/ProfileStore.h"

namespace stats {

// The list's columns, left to right.
struct Column {
    const char* heading;
    int width; // pixels
};
inline constexpr Column kColumns[3] = {
    {"拨号上网日期", 120},
    {"精确上网时长(单位: 秒)", 160},
    {"下线时间", 100},
};
inline constexpr int kSecondsColumn = 1;

// Running sum of the seconds cells, each read as store::SecondsAsRead reads it (atoi, clamped
// to the 32-bit range). 64-bit: even millions of cells at the 32-bit limit fit.
class SecondsTotal {
public:
    void Add(std::string_view cell) { m_total += store::SecondsAsRead(cell); }
    long long Value() const { return m_total; }

private:
    long long m_total = 0;
};

// The rows of the list, newest on top, held for a list that asks for each cell as it shows it:
// the cells of all rows in one block of text, so that a row costs a few bytes beyond its cells
// and a cell is found in the same time at any row count.
class RowTable {
public:
    // The record's three parts (store::SplitConnectionRecord) as a row on top of the others.
    // False, and no row, for a value of 10 characters or fewer (a missing key's "Error", an
    // emptied record, a damaged one) and for a text the split refuses. Parts longer than any
    // record the program writes are kept whole.
    bool AddRecord(std::string_view record);
    void Clear();

    std::size_t Size() const { return m_cells.size() / 3; }
    // Row 0 is the top row; columns 0 to 2. The text ends in a NUL and lives until the table
    // changes. Empty for a cell outside the table.
    std::string_view Cell(std::size_t row, int column) const;
    // The sum of the seconds column, as SecondsTotal counts it.
    long long TotalSeconds() const;

private:
    std::string m_text;                 // every cell's text followed by a NUL, oldest row first
    std::vector<std::uint32_t> m_cells; // where each cell starts in m_text, three per row
};

// The texts of "数据复位" when the records stay as they are.
inline constexpr const char* kResetRefused =
    "设置文件 corvantile.ini 太大或无法读取，数据复位没有进行：这个文件没有被改动。";
inline constexpr const char* kResetFailed =
    "设置文件 corvantile.ini 无法写入，数据复位没有完成：上网记录仍然保存在文件中。";

// What a confirmed reset did to the settings file.
enum class ResetOutcome {
    Cleared,      // the records are emptied (or there were none)
    FileUnusable, // too large or unreadable: nothing was written
    WriteFailed,  // the write did not reach the file: it holds the records as before
};

// Empties the records unless the file cannot be used; never writes over an unusable file.
ResetOutcome ResetRecords(store::ProfileStore& settings);

// "截至目前，总共上网时间为：T 秒，即T/60分钟！大约：T/3600小时！", divisions truncating toward
// zero. The total is shown whole even beyond the 32-bit range.
std::string TotalMessage(long long totalSeconds);

} // namespace stats
