#pragma once
// Reads '#'-separated lines from a stream the way fscanf reads them with the
// directives "%d", "%[^C]" (one excluded character), white space and literal
// characters, with one difference: a text field longer than its capacity is
// cut at the capacity, never inside a UTF-8 sequence, and the rest of it is
// consumed, so the field after it is read from the right place.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <variant>

class FieldScanner {
public:
    // A text field and the most bytes it keeps.
    struct Text {
        std::string* value;
        size_t capacity;
    };
    using Target = std::variant<int32_t*, Text>;

    explicit FieldScanner(FILE* file) : file(file) {}

    // Reads one pattern's worth of input into the targets, in order. Returns
    // the number of targets assigned, or EOF when the input ended before the
    // first one: a result of 0 or less means nothing of the line was read.
    // Targets after the first that fails keep their values.
    int scan(const char* pattern, std::initializer_list<Target> targets);

    // The longest prefix of text[0, length) that doesn't end inside a UTF-8
    // sequence.
    static size_t utf8Boundary(const char* text, size_t length);

private:
    enum class Field { read, none, end };

    void skipSpace();
    Field number(int32_t& value);
    Field text(const Text& target, char stop);

    FILE* file;
};
