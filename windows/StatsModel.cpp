#include "windows/StatsModel.h"

#include <climits>
#include <cstdio>

#include "store/ConnectionRecord.h"
#include "store/ProfileRules.h"

namespace stats {

namespace {

// The blanks the C library's atoi skips in the "C" locale.
bool IsAtoiBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::optional<Row> RowFromRecord(const std::string& record) {
    if (!store::IsRecordText(record)) {
        return std::nullopt;
    }
    std::optional<store::RecordParts> parts = store::ParseConnectionRecord(record);
    if (!parts) {
        return std::nullopt;
    }
    return Row{std::move(parts->date), std::move(parts->seconds), std::move(parts->time)};
}

bool RowTable::AddRecord(std::string_view record) {
    // The split of RowFromRecord, without its copies: only the three cells are kept.
    if (!store::IsRecordText(record)) {
        return false;
    }
    const std::size_t comma = store::rules::FindChar(record, ',');
    const std::size_t at =
        comma == std::string_view::npos ? comma : store::rules::FindChar(record, '@', comma + 1);
    if (at == std::string_view::npos) {
        return false;
    }
    // The record once, its two separators turned into the ends of the first two cells.
    const std::size_t base = m_text.size();
    m_text.append(record);
    m_text.push_back('\0');
    m_text[base + comma] = '\0';
    m_text[base + at] = '\0';
    m_cells.push_back(static_cast<std::uint32_t>(base));
    m_cells.push_back(static_cast<std::uint32_t>(base + comma + 1));
    m_cells.push_back(static_cast<std::uint32_t>(base + at + 1));
    return true;
}

void RowTable::AddRecords(const std::vector<std::string>& records) {
    std::size_t bytes = m_text.size();
    for (const std::string& record : records) {
        bytes += record.size() + 1; // three cells less two separators, plus three NULs
    }
    m_text.reserve(bytes);
    m_cells.reserve(m_cells.size() + 3 * records.size());
    for (const std::string& record : records) {
        AddRecord(record);
    }
}

void RowTable::Clear() {
    std::string().swap(m_text);
    std::vector<std::uint32_t>().swap(m_cells);
}

std::string_view RowTable::Cell(std::size_t row, int column) const {
    if (row >= Size() || column < 0 || column > 2) {
        return {};
    }
    // The newest row was added last.
    const std::size_t cell = (Size() - 1 - row) * 3 + static_cast<std::size_t>(column);
    const std::size_t end = cell + 1 < m_cells.size() ? m_cells[cell + 1] - 1 : m_text.size() - 1;
    return std::string_view(m_text).substr(m_cells[cell], end - m_cells[cell]);
}

long long RowTable::TotalSeconds() const {
    stats::SecondsTotal total;
    for (std::size_t row = 0; row < Size(); ++row) {
        total.Add(Cell(row, kSecondsColumn));
    }
    return total.Value();
}

ResetOutcome ResetRecords(store::ProfileStore& settings) {
    if (settings.State() != store::FileState::Readable) {
        return ResetOutcome::FileUnusable;
    }
    return store::ClearConnectionRecords(settings) ? ResetOutcome::Cleared
                                                   : ResetOutcome::WriteFailed;
}

long long SecondsValue(std::string_view cell) {
    std::size_t pos = 0;
    while (pos < cell.size() && IsAtoiBlank(cell[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < cell.size() && (cell[pos] == '+' || cell[pos] == '-')) {
        negative = cell[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude and stopped once past the range: long digit runs cannot overflow.
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    while (pos < cell.size() && cell[pos] >= '0' && cell[pos] <= '9') {
        if (magnitude <= kLimit) {
            magnitude = magnitude * 10 + (cell[pos] - '0');
        }
        ++pos;
    }
    if (negative) {
        return magnitude >= kLimit ? INT_MIN : -magnitude;
    }
    return magnitude > INT_MAX ? INT_MAX : magnitude;
}

std::string TotalMessage(long long totalSeconds) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "截至目前，总共上网时间为：%lld 秒，即%lld分钟！大约：%lld小时！", totalSeconds,
                  totalSeconds / 60, totalSeconds / 3600);
    return text;
}

} // namespace stats
