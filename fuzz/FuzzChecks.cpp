#include "FuzzChecks.h"

#include <cstdio>

bool isValidUtf8(const char* data, size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        size_t length;
        uint32_t value;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (size - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
            value = (value << 6) | (bytes[i + k] & 0x3F);
        }
        static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

void checkField(const std::string& field, size_t capacity, bool inputIsUtf8) {
    if (field.size() > capacity) __builtin_trap();
    if (inputIsUtf8 && !isValidUtf8(field)) __builtin_trap();
}

MemoryFile::MemoryFile(const uint8_t* data, size_t size)
    : bytes(reinterpret_cast<const char*>(data), size),
      file(fmemopen(bytes.data(), bytes.size(), "r")) {
    if (!file) __builtin_trap();
}

MemoryFile::~MemoryFile() {
    fclose(file);
}
