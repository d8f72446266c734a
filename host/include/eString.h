#pragma once
// Stands in for the host's text type: a std::string with printf-style formatting.

#include <string>

class eString : public std::string {
public:
    eString() = default;
    eString(const char* text) : std::string(text ? text : "") {}
    eString(const char* text, size_t length) : std::string(text, length) {}
    eString(const std::string& text) : std::string(text) {}
    eString(std::string&& text) : std::string(std::move(text)) {}

    // Replaces the contents with the formatted text and returns *this.
    eString& sprintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};
