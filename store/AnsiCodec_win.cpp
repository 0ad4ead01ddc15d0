// AnsiCodec on Windows: the conversions the platform's profile calls make.

#include "store/AnsiCodec_win.h"

#include <windows.h>

#include <climits>

namespace store {

namespace {

// The code page the settings file's text is read in, whatever the system's.
constexpr UINT kCodePage = 936;

class Win32AnsiCodec : public AnsiCodec {
public:
    std::optional<std::u16string> Widen(std::string_view ansi) const override {
        if (ansi.empty()) {
            return std::u16string();
        }
        if (ansi.size() > INT_MAX / 2) {
            return std::nullopt;
        }
        const int size = static_cast<int>(ansi.size());
        const int needed =
            MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
        if (needed <= 0) {
            return std::nullopt;
        }
        std::u16string wide(static_cast<std::size_t>(needed), u'\0');
        if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, ansi.data(), size,
                                reinterpret_cast<wchar_t*>(&wide[0]), needed) != needed) {
            return std::nullopt;
        }
        return wide;
    }

    std::optional<std::string> Narrow(std::u16string_view wide) const override {
        if (wide.empty()) {
            return std::string();
        }
        if (wide.size() > INT_MAX / 2) {
            return std::nullopt;
        }
        const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
        const int size = static_cast<int>(wide.size());
        // No best fit: a character the code page lacks fails the conversion instead of
        // becoming a look-alike.
        BOOL usedDefault = FALSE;
        const int needed = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, size,
                                               nullptr, 0, nullptr, &usedDefault);
        if (needed <= 0 || usedDefault) {
            return std::nullopt;
        }
        std::string ansi(static_cast<std::size_t>(needed), '\0');
        if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, size, &ansi[0], needed,
                                nullptr, &usedDefault) != needed ||
            usedDefault) {
            return std::nullopt;
        }
        return ansi;
    }
};

} // namespace

const AnsiCodec& SystemAnsiCodec() {
    static const Win32AnsiCodec codec;
    return codec;
}

} // namespace store
