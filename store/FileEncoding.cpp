#include "store/FileEncoding.h"

#include <cstdint>

namespace store {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::string_view MarkOf(FileEncoding encoding) {
    switch (encoding) {
    case FileEncoding::Utf8:
        return kUtf8Mark;
    case FileEncoding::Utf16Le:
        return kUtf16LeMark;
    case FileEncoding::Utf16Be:
        return kUtf16BeMark;
    case FileEncoding::Ansi:
        break;
    }
    return {};
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

std::optional<std::u16string> FromUtf16(std::string_view bytes, bool littleEndian) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string wide(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        wide[i] =
            static_cast<char16_t>(littleEndian ? first | (second << 8) : (first << 8) | second);
    }
    return wide;
}

std::string ToUtf16(std::u16string_view wide, bool littleEndian) {
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (const char16_t unit : wide) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

// Strict: an ill-formed sequence, an overlong form or an encoded surrogate gives nothing.
std::optional<std::u16string> FromUtf8(std::string_view bytes) {
    std::u16string wide;
    wide.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        std::uint32_t point = 0;
        std::uint32_t least = 0;
        if (lead < 0x80) {
            length = 1;
            point = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            point = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            point = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            point = lead & 0x07;
            least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + length > bytes.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return std::nullopt;
        }
        if (point >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<char16_t>(point);
        }
        i += length;
    }
    return wide;
}

// Nothing for an unpaired surrogate, which UTF-8 cannot hold.
std::optional<std::string> ToUtf8(std::u16string_view wide) {
    std::string bytes;
    bytes.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        std::uint32_t point = wide[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            return std::nullopt;
        }
        if (point < 0x80) {
            bytes += static_cast<char>(point);
        } else if (point < 0x800) {
            bytes += static_cast<char>(0xC0 | (point >> 6));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            bytes += static_cast<char>(0xE0 | (point >> 12));
            bytes += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (point >> 18));
            bytes += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return bytes;
}

std::optional<std::u16string> Widen(FileEncoding encoding, std::string_view body) {
    return encoding == FileEncoding::Utf8 ? FromUtf8(body)
                                          : FromUtf16(body, encoding == FileEncoding::Utf16Le);
}

std::optional<std::string> Unwiden(FileEncoding encoding, std::u16string_view wide) {
    if (encoding == FileEncoding::Utf8) {
        return ToUtf8(wide);
    }
    return ToUtf16(wide, encoding == FileEncoding::Utf16Le);
}

} // namespace

FileEncoding DetectEncoding(std::string_view bytes) {
    // The UTF-8 mark first, as the platform looks for it.
    for (const FileEncoding encoding :
         {FileEncoding::Utf8, FileEncoding::Utf16Le, FileEncoding::Utf16Be}) {
        if (StartsWith(bytes, MarkOf(encoding))) {
            return encoding;
        }
    }
    return FileEncoding::Ansi;
}

std::optional<std::string> DecodeFile(const AnsiCodec& codec, FileEncoding encoding,
                                      std::string_view bytes) {
    if (encoding == FileEncoding::Ansi) {
        return std::string(bytes);
    }
    const std::string_view mark = MarkOf(encoding);
    if (!StartsWith(bytes, mark)) {
        return std::nullopt;
    }
    const std::string_view body = bytes.substr(mark.size());
    const std::optional<std::u16string> wide = Widen(encoding, body);
    if (!wide) {
        return std::nullopt;
    }
    std::optional<std::string> text = codec.Narrow(*wide);
    // The lines the program leaves alone must write back byte for byte.
    if (!text || codec.Widen(*text) != wide) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> EncodeFile(const AnsiCodec& codec, FileEncoding encoding,
                                      std::string_view text) {
    if (encoding == FileEncoding::Ansi) {
        return std::string(text);
    }
    const std::optional<std::u16string> wide = codec.Widen(text);
    if (!wide) {
        return std::nullopt;
    }
    std::optional<std::string> body = Unwiden(encoding, *wide);
    if (!body) {
        return std::nullopt;
    }
    return std::string(MarkOf(encoding)) + *body;
}

} // namespace store
