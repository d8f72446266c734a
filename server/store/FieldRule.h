#pragma once
// The rules a stored text field follows so that it can be written into a
// '#'-separated answer line and read back whole by the receiver: its capacity
// in bytes and the characters it may hold. The same rule checks imported values
// and builds the column's CHECK constraint, so the two never disagree.

#include <optional>
#include <string>
#include <string_view>

class FieldRule {
public:
    enum class Kind {
        text,      // any UTF-8 text without '#', line breaks or other control characters
        fileName,  // letters, digits, '.', '_' and '-', not starting with '.'
    };

    constexpr FieldRule(const char* column, int capacity, Kind kind)
        : column(column), capacity(capacity), kind(kind) {}

    // What is wrong with value, in words, or nothing when it may be stored.
    std::optional<std::string> problem(std::string_view value) const;
    // The SQL condition that holds exactly for the values that may be stored.
    std::string sqlCheck() const;

    const char* column;
    int capacity;  // in bytes, without a terminator
    Kind kind;

    // The stored text fields and their capacities on the receiver.
    static const FieldRule title;
    static const FieldRule country1;
    static const FieldRule picture;
    static const FieldRule country2;
    static const FieldRule channelName;
    static const FieldRule frequency;
    static const FieldRule polarisation;
    static const FieldRule fec;
    static const FieldRule encryption;
    static const FieldRule pictureName;
};
