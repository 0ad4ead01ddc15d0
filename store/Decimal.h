#pragma once

// Unsigned decimals as this program writes them into the settings file.

#include <limits>
#include <optional>
#include <string_view>

namespace store {

// Nothing unless the text is one or more digits whose number fits: no sign, no blanks.
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

} // namespace store
