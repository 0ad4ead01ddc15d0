#pragma once

#include <optional>
#include <string>

namespace store {

// Seals a secret so that only the current user can open it again (the platform's data
// protection on Windows; a stand-in in tests).
class SecretProtector {
public:
    virtual ~SecretProtector() = default;
    virtual std::optional<std::string> Seal(const std::string& clear) const = 0;
    virtual std::optional<std::string> Open(const std::string& sealed) const = 0;
};

} // namespace store
