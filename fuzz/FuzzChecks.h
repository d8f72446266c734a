#pragma once
// Checks the fuzz targets make on what a parser gives back. A failed check
// traps, so libFuzzer keeps the input as a finding.

#include <cstddef>
#include <cstdint>
#include <string>

// True when the bytes are well-formed UTF-8: no stray continuation bytes, no
// sequence cut short, no overlong forms, surrogates or values above U+10FFFF.
bool isValidUtf8(const char* data, size_t size);
inline bool isValidUtf8(const std::string& text) {
    return isValidUtf8(text.data(), text.size());
}

// Traps when the field is longer than its capacity, or when a field read from
// well-formed UTF-8 input is not well-formed itself (it was cut inside a sequence).
void checkField(const std::string& field, size_t capacity, bool inputIsUtf8);

// A FILE* reading the bytes in memory, closed with its holder.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    FILE* get() const { return file; }

private:
    std::string bytes;
    FILE* file;
};
