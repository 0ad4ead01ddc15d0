#include "store/RunningOwner.h"

#include "store/Decimal.h"

namespace store {

std::string FormatProcessIdentity(const ProcessIdentity& process) {
    return std::to_string(process.id) + "," + std::to_string(process.created);
}

std::optional<ProcessIdentity> ParseProcessIdentity(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> id = ParseDecimal<std::uint32_t>(text.substr(0, comma));
    const std::optional<std::uint64_t> created =
        ParseDecimal<std::uint64_t>(text.substr(comma + 1));
    if (!id || !created) {
        return std::nullopt;
    }
    return ProcessIdentity{*id, *created};
}

} // namespace store
