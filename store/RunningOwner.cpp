#include "store/RunningOwner.h"

#include <limits>

namespace store {

namespace {

template <typename Number> std::optional<Number> ParseDecimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 20) {
        return std::nullopt;
    }
    Number number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<Number>(c - '0');
        if (number > (std::numeric_limits<Number>::max() - digit) / 10) {
            return std::nullopt;
        }
        number = static_cast<Number>(number * 10 + digit);
    }
    return number;
}

} // namespace

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
