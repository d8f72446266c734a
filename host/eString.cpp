#include "eString.h"

#include <cstdarg>
#include <cstdio>

eString& eString::sprintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        clear();
    } else {
        std::string buffer(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        buffer.resize(static_cast<size_t>(length));
        assign(std::move(buffer));
    }
    va_end(args);
    return *this;
}
