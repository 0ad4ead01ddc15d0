#include "store/DataProtection_win.h"

#include <windows.h>
#include <wincrypt.h>

#include "framework/SystemLibrary.h"

namespace store {

namespace {

// The two calls in the system's crypt32.dll, looked up once; null when missing, and then every
// seal and unseal fails.
struct CryptCalls {
    decltype(&::CryptProtectData) protect;
    decltype(&::CryptUnprotectData) unprotect;
};

const CryptCalls& Crypt() {
    static const CryptCalls calls = [] {
        const HMODULE dll = fw::LoadSystemLibrary("crypt32.dll");
        return CryptCalls{
            fw::ModuleFunction<decltype(&::CryptProtectData)>(dll, "CryptProtectData"),
            fw::ModuleFunction<decltype(&::CryptUnprotectData)>(dll, "CryptUnprotectData")};
    }();
    return calls;
}

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
    if (Crypt().protect == nullptr || !Crypt().protect(&in, L"Kelvorin", nullptr, nullptr, nullptr,
                                                       CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        return std::nullopt;
    }
    return TakeBlob(out);
}

std::optional<std::string> DataProtection::Open(const std::string& sealed) const {
    DATA_BLOB in = BlobOf(sealed);
    DATA_BLOB out{};
    if (Crypt().unprotect == nullptr || !Crypt().unprotect(&in, nullptr, nullptr, nullptr, nullptr,
                                                           CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        return std::nullopt;
    }
    return TakeBlob(out);
}

} // namespace store
