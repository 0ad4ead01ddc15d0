#pragma once

// The encodings the platform's profile calls read a settings file in, told by its byte order
// mark: none is the ANSI code page (936), and the program parses that text. A file in another
// encoding is converted to it for reading and back for writing, so that its lines keep their
// encoding and the platform still reads it. Only the ANSI side needs the platform (AnsiCodec);
// the Unicode forms are converted here.

#include <optional>
#include <string>
#include <string_view>

namespace store {

enum class FileEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

// The encoding of the bytes of a whole file, as the platform tells it.
FileEncoding DetectEncoding(std::string_view bytes);

// The ANSI code page and UTF-16, both ways. Nothing when a character has no counterpart.
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    virtual std::optional<std::u16string> Widen(std::string_view ansi) const = 0;
    virtual std::optional<std::string> Narrow(std::u16string_view wide) const = 0;
};

// The whole file (with its mark) as ANSI text, or nothing when that text would not write back
// as the same bytes: a character the code page lacks, a broken sequence, an odd length. Such a
// file is never written over.
std::optional<std::string> DecodeFile(const AnsiCodec& codec, FileEncoding encoding,
                                      std::string_view bytes);

// The ANSI text as the file's bytes in the encoding, mark first; nothing when it cannot be.
std::optional<std::string> EncodeFile(const AnsiCodec& codec, FileEncoding encoding,
                                      std::string_view text);

} // namespace store
