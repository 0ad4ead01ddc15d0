#include "windows/StatsModel.h"

#include <cstdio>

#include "store/ConnectionRecord.h"

namespace stats {

bool RowTable::AddRecord(std::string_view record) {
    if (!store::IsRecordText(record)) {
        return false;
    }
    const std::optional<store::RecordParts> parts = store::SplitConnectionRecord(record);
    if (!parts) {
        return false;
    }
    // Each cell followed by a NUL, so the list can be handed its text as it stands.
    for (std::string_view cell : {parts->date, parts->seconds, parts->time}) {
        m_cells.push_back(static_cast<std::uint32_t>(m_text.size()));
        m_text.append(cell);
        m_text.push_back('\0');
    }
    return true;
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

std::string TotalMessage(long long totalSeconds) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "截至目前，总共上网时间为：%lld 秒，即%lld分钟！大约：%lld小时！", totalSeconds,
                  totalSeconds / 60, totalSeconds / 3600);
    return text;
}

} // namespace stats
