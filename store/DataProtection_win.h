#pragma once

// Passwords sealed with the platform's data protection for the current user, without UI.

#include "store/SecretProtector.h"

namespace store {

class DataProtection : public SecretProtector {
public:
    std::optional<std::string> Seal(const std::string& clear) const override;
    std::optional<std::string> Open(const std::string& sealed) const override;
};

} // namespace store
