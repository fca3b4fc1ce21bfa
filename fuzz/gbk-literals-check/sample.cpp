// Literals the GBK conversion must get right, printed as hex bytes one per line. 乗 ends in 0x5C, so a
// comment that ends in it must stay a comment: 乗
#include <cstdio>
#include <cstring>

static void Dump(const char* sz, size_t n) {
    for (size_t i = 0; i < n; ++i) std::printf("%02x", static_cast<unsigned char>(sz[i]));
    std::printf("\n");
}
#define DUMP(s) Dump(s, sizeof(s) - 1)

int main() {
    DUMP("乗\"");           // trail byte 0x5C right before an escaped quote
    DUMP("乗");             // ... and right before the closing quote
    DUMP("\x41乗0");        // a hex escape, a character, a digit that must not join an escape
    DUMP("表" "十" "能");   // concatenated literals
    DUMP("a\\乗\\b");       // escaped backslashes around it
    DUMP(u8"乗");           // stays UTF-8
    const char c = 'x';
    const int n = 1'000;    // a digit separator is no character literal
    std::printf("%c %d\n", c, n);
    DUMP("网络延迟(ms)");
    return 0;
}
