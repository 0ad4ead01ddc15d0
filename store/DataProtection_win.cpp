#include "store/DataProtection_win.h"

#include <windows.h>
#include <wincrypt.h>

namespace store {

namespace {

DATA_BLOB BlobOf(const std::string& bytes) {
    DATA_BLOB blob;
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

// Takes the output blob of a Crypt*Data call; the system allocated it, LocalFree releases it.
std::string TakeBlob(DATA_BLOB& blob) {
    std::string bytes(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    SecureZeroMemory(blob.pbData, blob.cbData);
    LocalFree(blob.pbData);
    return bytes;
}

} // namespace

std::optional<std::string> DataProtection::Seal(const std::string& clear) const {
    DATA_BLOB in = BlobOf(clear);
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Kelvorin", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out)) {
        return std::nullopt;
    }
    return TakeBlob(out);
}

std::optional<std::string> DataProtection::Open(const std::string& sealed) const {
    DATA_BLOB in = BlobOf(sealed);
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out)) {
        return std::nullopt;
    }
    return TakeBlob(out);
}

} // namespace store
