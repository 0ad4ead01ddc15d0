#pragma once

// Text in the ANSI code page, in the manner of the framework's string class.

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text != nullptr ? text : "") {}
    CString(std::string text) : m_text(std::move(text)) {}

    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    int GetLength() const {
        return static_cast<int>(m_text.size());
    }
    bool IsEmpty() const {
        return m_text.empty();
    }
    void Empty() {
        m_text.clear();
    }
    const char* GetString() const {
        return m_text.c_str();
    }
    operator const char*() const {
        return m_text.c_str();
    }
    const std::string& Str() const {
        return m_text;
    }

    bool operator==(const CString& other) const {
        return m_text == other.m_text;
    }
    bool operator!=(const CString& other) const {
        return m_text != other.m_text;
    }

private:
    std::string m_text;
};
