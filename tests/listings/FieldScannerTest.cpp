#include "FieldScanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Text = FieldScanner::Text;

// Within the capacities, the scanner reads exactly what glibc's fscanf reads: the same result,
// values and position, line after line, on generated inputs over the characters that matter.
TEST(FieldScannerTest, ReadsLikeFscanfWithinTheCapacities) {
    std::mt19937 random(20240611);
    static const char alphabet[] = "0123-+#  \n\n\r\tab#";
    const char* line = "%d#%[^#]#%d#%[^\n]\n";
    for (int round = 0; round < 3000; ++round) {
        std::string input = "x";  // fmemopen wants a byte; it is read before the comparison
        for (size_t n = random() % 41; n > 0; --n) input += alphabet[random() % 16];
        FILE* files[2] = {fmemopen(&input[0], input.size(), "r"),
                          fmemopen(&input[0], input.size(), "r")};
        fgetc(files[0]), fgetc(files[1]);
        FieldScanner scanner(files[1]);
        SCOPED_TRACE("input \"" + input + "\"");
        for (int n = 0; n < 6; ++n) {
            int32_t e[2] = {-7, -7}, a[2] = {-7, -7};
            char t[2][64] = {"old", "older"};
            std::string s[2] = {"old", "older"};
            const int r1 = n % 2 ? fscanf(files[0], line, &e[0], t[0], &e[1], t[1])
                                 : fscanf(files[0], "%d\n", &e[0]);
            const int r2 =
                n % 2 ? scanner.scan(line, {&a[0], Text{&s[0], 63}, &a[1], Text{&s[1], 63}})
                      : scanner.scan("%d\n", {&a[0]});
            ASSERT_EQ(r1, r2) << "line " << n;
            ASSERT_EQ(std::vector<int32_t>(e, e + 2), std::vector<int32_t>(a, a + 2));
            ASSERT_EQ(t[0] + std::string("|") + t[1], s[0] + "|" + s[1]);
            ASSERT_EQ(ftell(files[0]), ftell(files[1]));
            if (r1 <= 0) break;
        }
        fclose(files[0]), fclose(files[1]);
    }
}

}  // namespace
