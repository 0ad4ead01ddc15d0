#include "store/ConnectionDetail.h"

#include "store/Decimal.h"

namespace store {

namespace {

constexpr std::string_view kDialedWord = "dialed";
constexpr std::string_view kTakenWord = "taken";
constexpr std::string_view kUnstorable("\r\n\0", 3);

// The text up to the next comma (after which text continues); nothing when there is none.
// Byte by byte: in code page 936 a comma is never the second byte of a character.
std::optional<std::string_view> TakeField(std::string_view* text) {
    const std::size_t comma = text->find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view field = text->substr(0, comma);
    text->remove_prefix(comma + 1);
    return field;
}

// Empty is an unknown count; anything else must be a number.
bool ParseCount(std::string_view field, std::optional<std::uint64_t>* count) {
    if (field.empty()) {
        count->reset();
        return true;
    }
    *count = ParseDecimal<std::uint64_t>(field);
    return count->has_value();
}

} // namespace

std::string FormatConnectionDetail(const ConnectionDetail& detail) {
    std::string text(detail.origin == ConnectionOrigin::TakenOver ? kTakenWord : kDialedWord);
    text += ',';
    if (detail.received) {
        text += std::to_string(*detail.received);
    }
    text += ',';
    if (detail.sent) {
        text += std::to_string(*detail.sent);
    }
    text += ',';
    for (const char c : detail.entry) {
        text += kUnstorable.find(c) == std::string_view::npos ? c : ' ';
    }
    return text;
}

std::optional<ConnectionDetail> ParseConnectionDetail(std::string_view text) {
    if (text.find_first_of(kUnstorable) != std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<std::string_view> origin = TakeField(&text);
    const std::optional<std::string_view> received = TakeField(&text);
    const std::optional<std::string_view> sent = TakeField(&text);
    if (!origin || !received || !sent) {
        return std::nullopt;
    }
    ConnectionDetail detail;
    if (*origin == kTakenWord) {
        detail.origin = ConnectionOrigin::TakenOver;
    } else if (*origin != kDialedWord) {
        return std::nullopt;
    }
    if (!ParseCount(*received, &detail.received) || !ParseCount(*sent, &detail.sent)) {
        return std::nullopt;
    }
    detail.entry = std::string(text);
    return detail;
}

} // namespace store
