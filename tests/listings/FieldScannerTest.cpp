#include "FieldScanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Text = FieldScanner::Text;

// Reads one line of input with a pattern of ints and texts ('d', 't' in kinds) twice, with
// glibc's fscanf and with the scanner, and expects the same result, values and position.
void expectLikeFscanf(const std::string& input, int lines, const char* pattern, const char* kinds) {
    SCOPED_TRACE("input \"" + input + "\" pattern " + pattern);
    // fmemopen wants at least one byte; an empty input is one read byte.
    std::string a = input + '\0', b = a;
    FILE* expected = fmemopen(&a[0], std::max<size_t>(input.size(), 1), "r");
    FILE* actual = fmemopen(&b[0], std::max<size_t>(input.size(), 1), "r");
    if (input.empty()) fgetc(expected), fgetc(actual);
    FieldScanner scanner(actual);
    for (int line = 0; line < lines; ++line) {
        int32_t e[11] = {}, s[11] = {};
        char t[11][64] = {};
        std::string u[11];
        void* p[11];
        std::vector<FieldScanner::Target> targets;
        for (size_t i = 0; kinds[i]; ++i) {
            p[i] = kinds[i] == 'd' ? static_cast<void*>(&e[i]) : t[i];
            if (kinds[i] == 'd')
                targets.push_back(&s[i]);
            else
                targets.push_back(Text{&u[i], 63});
        }
        const int r1 = fscanf(expected, pattern, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7],
                              p[8], p[9], p[10]);
        int r2 = 0;
        if (targets.size() == 1) r2 = scanner.scan(pattern, {targets[0]});
        if (targets.size() == 3) r2 = scanner.scan(pattern, {targets[0], targets[1], targets[2]});
        if (targets.size() == 11)
            r2 = scanner.scan(
                pattern, {targets[0], targets[1], targets[2], targets[3], targets[4], targets[5],
                          targets[6], targets[7], targets[8], targets[9], targets[10]});
        ASSERT_EQ(r1, r2) << "line " << line;
        for (size_t i = 0; kinds[i]; ++i) {
            ASSERT_EQ(e[i], s[i]) << "line " << line << " field " << i;
            ASSERT_EQ(t[i], u[i]) << "line " << line << " field " << i;
        }
        ASSERT_EQ(ftell(expected), ftell(actual)) << "line " << line;
        if (r1 <= 0) break;
    }
    fclose(expected);
    fclose(actual);
}

// Within the capacities, the scanner reads exactly what fscanf reads, on generated inputs over
// the characters that matter to the patterns, count line after match line.
TEST(FieldScannerTest, ReadsLikeFscanfWithinTheCapacities) {
    std::mt19937 random(20240611);
    static const char alphabet[] = "0123-+#  \n\n\r\tab#";
    for (int round = 0; round < 2000; ++round) {
        std::string input;
        for (size_t n = random() % 41; n > 0; --n)
            input += alphabet[random() % (sizeof alphabet - 1)];
        expectLikeFscanf(input, 3, "%d\n", "d");
        expectLikeFscanf(input, 3, "%d#%[^#]#%[^\n]\n", "dtt");
    }
    const char* channel = "%d#%d#%[^#]#%[^#]#%[^#]#%[^#]#%[^#]#%d#%[^#]#%[^#]#%d\n";
    for (const char* input :
         {"1#2#Sport 1 HD#19.2#e#11.362#h#22000#2/3#Free To Air#1\n\n",
          "1#2#Name#13.0#e#12.1#v#-5#3/4#Conax#0 \r\n3#", "1#2#Name#13.0#e#12.1#v#x#3/4#Conax#0\n",
          "-1#-2#a#b#c#d#e#+7#f#g#h\n", "1#2##13.0#e#12.1#v#1#3/4#Conax#0\n"})
        expectLikeFscanf(input, 2, channel, "ddtttttdttd");
}

TEST(FieldScannerTest, CutsOverlongFieldsOnUtf8BoundariesAndStopsAtNul) {
    const struct {
        std::string input;
        size_t capacity;
        const char* first;
    } cases[] = {
        {"abcdefgh#xy\n", 3, "abc"},
        {std::string("ab\0cd#xy", 8), 9, "ab"},
        {"a\xC3\xA9#xy", 2, "a"},
        {"a\xC3\xA9#xy", 3, "a\xC3\xA9"},
        {"a\xE2\x82\xAC#xy", 3, "a"},
        {"a\xF0\x9F\x98\x80#xy", 4, "a"},
        {"a\x80\x80\x80\x80#xy", 4, "a\x80\x80\x80"},
    };
    for (const auto& c : cases) {
        std::string buffer = c.input;
        FILE* file = fmemopen(&buffer[0], buffer.size(), "r");
        std::string first, second;
        EXPECT_EQ(
            FieldScanner(file).scan("%[^#]#%[^\n]", {Text{&first, c.capacity}, Text{&second, 9}}),
            2);
        EXPECT_EQ(first, c.first) << c.input;
        EXPECT_EQ(second, "xy") << c.input;
        fclose(file);
    }
}

}  // namespace
