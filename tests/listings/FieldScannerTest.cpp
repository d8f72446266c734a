#include "FieldScanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Text = FieldScanner::Text;

// A stream over a copy of text; fmemopen wants at least one byte.
struct Stream {
    explicit Stream(const std::string& text) : buffer(text + '\0') {
        file = fmemopen(buffer.data(), text.size() ? text.size() : 1, "r");
        if (text.empty()) fgetc(file);
    }
    ~Stream() { fclose(file); }
    std::string buffer;
    FILE* file;
};

// Generated inputs over the characters that matter to the patterns.
std::string randomInput(std::mt19937& random) {
    static const char alphabet[] = "0123-+#  \n\n\r\tab#";
    std::uniform_int_distribution<size_t> length(0, 40);
    std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 2);
    std::string text;
    for (size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
    return text;
}

// Within the capacities, the scanner reads exactly what glibc's fscanf reads:
// the same result, the same values and the same position afterwards, line
// after line.
TEST(FieldScannerTest, ReadsLikeFscanfWithinTheCapacities) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 4000; ++round) {
        const std::string input = randomInput(random);
        Stream expected(input), actual(input);
        FieldScanner scanner(actual.file);
        for (int line = 0; line < 6; ++line) {
            int count1 = -7, count2 = -7;
            char t1[64] = "old", t2[64] = "older";
            std::string s1 = "old", s2 = "older";
            int r1, r2;
            if (line % 2 == 0) {
                r1 = fscanf(expected.file, "%d\n", &count1);
                r2 = scanner.scan("%d\n", {&count2});
            } else {
                r1 = fscanf(expected.file, "%d#%[^#]#%[^\n]\n", &count1, t1, t2);
                r2 = scanner.scan("%d#%[^#]#%[^\n]\n", {&count2, Text{&s1, 63}, Text{&s2, 63}});
            }
            SCOPED_TRACE(testing::Message() << "input \"" << input << "\" line " << line);
            ASSERT_EQ(r1, r2);
            ASSERT_EQ(count1, count2);
            ASSERT_EQ(t1, s1);
            ASSERT_EQ(t2, s2);
            ASSERT_EQ(ftell(expected.file), ftell(actual.file));
            if (r1 <= 0) break;
        }
    }
}

TEST(FieldScannerTest, ReadsTheChannelPatternLikeFscanf) {
    const char* inputs[] = {
        "1#2#Sport 1 HD#19.2#e#11.362#h#22000#2/3#Free To Air#1\n\n",
        "1#2#Name#13.0#e#12.1#v#-5#3/4#Conax#0 \r\n3#",
        "1#2#Name#13.0#e#12.1#v#x#3/4#Conax#0\n",
        "-1#-2#a#b#c#d#e#+7#f#g#h\n",
        "1#2##13.0#e#12.1#v#1#3/4#Conax#0\n",
    };
    for (const char* input : inputs) {
        Stream expected(input), actual(input);
        int e[4] = {9, 9, 9, 9}, a[4] = {9, 9, 9, 9};
        char t[7][64] = {};
        std::string s[7];
        int r1 = fscanf(expected.file, "%d#%d#%[^#]#%[^#]#%[^#]#%[^#]#%[^#]#%d#%[^#]#%[^#]#%d\n",
                        &e[0], &e[1], t[0], t[1], t[2], t[3], t[4], &e[2], t[5], t[6], &e[3]);
        int r2 = FieldScanner(actual.file)
                     .scan("%d#%d#%[^#]#%[^#]#%[^#]#%[^#]#%[^#]#%d#%[^#]#%[^#]#%d\n",
                           {&a[0], &a[1], Text{&s[0], 63}, Text{&s[1], 63}, Text{&s[2], 63},
                            Text{&s[3], 63}, Text{&s[4], 63}, &a[2], Text{&s[5], 63},
                            Text{&s[6], 63}, &a[3]});
        SCOPED_TRACE(input);
        EXPECT_EQ(r1, r2);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(e[i], a[i]);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(t[i], s[i]);
        EXPECT_EQ(ftell(expected.file), ftell(actual.file));
    }
}

TEST(FieldScannerTest, OverlongFieldIsCutAndTheRestSkipped) {
    Stream input("abcdefgh#xy\n");
    std::string first, second;
    EXPECT_EQ(FieldScanner(input.file).scan("%[^#]#%[^\n]\n", {Text{&first, 3}, Text{&second, 3}}),
              2);
    EXPECT_EQ(first, "abc");
    EXPECT_EQ(second, "xy");
}

TEST(FieldScannerTest, NulByteEndsATextField) {
    Stream input(std::string("ab\0cd#e", 7));
    std::string first, second;
    EXPECT_EQ(FieldScanner(input.file).scan("%[^#]#%[^\n]", {Text{&first, 9}, Text{&second, 9}}),
              2);
    EXPECT_EQ(first, "ab");
    EXPECT_EQ(second, "e");
}

TEST(FieldScannerTest, Utf8BoundaryNeverSplitsASequence) {
    auto boundary = [](const std::string& text) {
        return FieldScanner::utf8Boundary(text.data(), text.size());
    };
    EXPECT_EQ(boundary(""), 0u);
    EXPECT_EQ(boundary("abc"), 3u);
    EXPECT_EQ(boundary("a\xC3"), 1u);
    EXPECT_EQ(boundary("a\xC3\xA9"), 3u);
    EXPECT_EQ(boundary("a\xE2\x82"), 1u);
    EXPECT_EQ(boundary("a\xE2\x82\xAC"), 4u);
    EXPECT_EQ(boundary("a\xF0\x9F\x98"), 1u);
    EXPECT_EQ(boundary("a\xF0\x9F\x98\x80"), 5u);
    // Not UTF-8: stray continuation bytes are kept as they are.
    EXPECT_EQ(boundary("a\x80\x80\x80\x80"), 5u);
}

}  // namespace
