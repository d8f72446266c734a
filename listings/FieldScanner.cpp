#include "FieldScanner.h"

#include <cctype>
#include <climits>
#include <cstring>

namespace {

bool isSpace(int c) {
    return c != EOF && std::isspace(static_cast<unsigned char>(c));
}
bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

}  // namespace

size_t FieldScanner::utf8Boundary(const char* text, size_t length) {
    for (size_t back = 1; back <= 3 && back <= length; ++back) {
        unsigned char c = static_cast<unsigned char>(text[length - back]);
        if ((c & 0xC0) == 0x80) continue;  // continuation byte: look further back
        size_t sequence = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return sequence > back ? length - back : length;
    }
    return length;
}

void FieldScanner::skipSpace() {
    int c;
    while (isSpace(c = getc(file))) {
    }
    ungetc(c, file);
}

FieldScanner::Field FieldScanner::number(int32_t& value) {
    skipSpace();
    int c = getc(file);
    if (c == EOF) return Field::end;
    bool negative = c == '-';
    if (c == '-' || c == '+') c = getc(file);
    if (!isDigit(c)) {
        // As with fscanf, a lone sign stays consumed.
        ungetc(c, file);
        return Field::none;
    }
    // Out-of-range numbers saturate, as strtol does.
    int64_t magnitude = 0;
    for (; isDigit(c); c = getc(file)) {
        if (magnitude <= int64_t(INT32_MAX) + 1) magnitude = magnitude * 10 + (c - '0');
    }
    ungetc(c, file);
    if (negative) {
        value = magnitude > int64_t(INT32_MAX) + 1 ? INT32_MIN : int32_t(-magnitude);
    } else {
        value = magnitude > INT32_MAX ? INT32_MAX : int32_t(magnitude);
    }
    return Field::read;
}

FieldScanner::Field FieldScanner::text(const Text& target, char stop) {
    std::string kept;
    size_t length = 0;
    int c;
    while ((c = getc(file)) != EOF && c != static_cast<unsigned char>(stop)) {
        if (length++ < target.capacity) kept.push_back(static_cast<char>(c));
    }
    ungetc(c, file);
    if (length == 0) return c == EOF ? Field::end : Field::none;
    if (length > target.capacity) kept.resize(utf8Boundary(kept.data(), kept.size()));
    // The field is a C string in the reader's buffer: a NUL byte ends it.
    target.value->assign(kept.c_str());
    return Field::read;
}

int FieldScanner::scan(const char* pattern, std::initializer_list<Target> targets) {
    auto target = targets.begin();
    int assigned = 0;
    auto stopped = [&](Field field) {
        return field == Field::end && assigned == 0 ? EOF : assigned;
    };

    for (const char* p = pattern; *p;) {
        if (isSpace(static_cast<unsigned char>(*p))) {
            skipSpace();
            ++p;
            continue;
        }
        if (*p != '%') {
            int c = getc(file);
            if (c != static_cast<unsigned char>(*p)) {
                ungetc(c, file);
                return stopped(c == EOF ? Field::end : Field::none);
            }
            ++p;
            continue;
        }
        if (target == targets.end()) return assigned;
        Field field = Field::none;
        if (std::strncmp(p, "%d", 2) == 0) {
            field = number(*std::get<int32_t*>(*target));
            p += 2;
        } else if (std::strncmp(p, "%[^", 3) == 0 && p[3] && p[4] == ']') {
            field = text(std::get<Text>(*target), p[3]);
            p += 5;
        }
        if (field != Field::read) return stopped(field);
        ++target;
        ++assigned;
    }
    return assigned;
}
