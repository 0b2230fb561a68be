// The memcmp of the WebAssembly builds against a byte-by-byte reference: every length up to 130,
// every alignment of a word, a difference at every place in either direction and none, with
// different bytes just past the end. Built by the web preset, run under Node.js.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int reference(const unsigned char* a, const unsigned char* b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

int main() {
    unsigned char a[160];
    unsigned char b[160];
    long checks = 0;
    long wrong = 0;
    std::srand(410);
    for (size_t count = 0; count <= 130; ++count) {
        for (size_t offset = 0; offset < 8; ++offset) {
            for (long place = -1; place < static_cast<long>(count); ++place) {
                for (int direction = 0; direction < 2; ++direction) {
                    for (size_t i = 0; i < sizeof a; ++i) {
                        a[i] = b[i] = static_cast<unsigned char>(std::rand());
                    }
                    if (place >= 0) {
                        a[offset + place] = direction == 0 ? 10 : 200;
                        b[offset + place] = direction == 0 ? 200 : 10;
                    }
                    a[offset + count] = 1;
                    b[offset + count] = 2;
                    // Through a pointer the compiler cannot see through, so memcmp is called.
                    int (*volatile compare)(const void*, const void*, size_t) = std::memcmp;
                    const int got = compare(a + offset, b + offset, count);
                    if (sign(got) != sign(reference(a + offset, b + offset, count))) {
                        if (++wrong <= 10) {
                            std::printf("wrong: length %zu, offset %zu, difference at %ld\n", count,
                                        offset, place);
                        }
                    }
                    ++checks;
                }
            }
        }
    }
    std::printf("memcmp: %ld checks, %ld wrong\n", checks, wrong);
    return wrong == 0 ? 0 : 1;
}
