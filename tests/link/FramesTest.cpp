#include "link/Frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrik::frames {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

struct SumCase {
    const char* name;
    const char* bytes;
    int first;
    int last;
    int expected;
};

TEST(BlockSum, SumsTheGivenRangeModulo256) {
    const std::vector<SumCase> cases = {
        {"worked example, zero block", "573B0010000000000000000000000000000000004B06", 1, 19, 0x4B},
        {"last 0 means the byte before the checksum",
         "573B0010000000000000000000000000000000004B06", 1, 0, 0x4B},
        {"wraps past 255", "00FFFF0300", 1, 3, 0x01},
        {"first byte excluded", "7F01", 1, 1, 0x01},
        {"range in the middle", "01020304", 1, 2, 0x05},
    };
    for (const SumCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BlockSum(hex(c.bytes), c.first, c.last), c.expected);
    }
}

TEST(BlockSum, OkComparesWithTheChecksumPosition) {
    struct Case {
        const char* name;
        const char* bytes;
        int first, last, at;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"defaults find the checksum", "573B0010000000000000000000000000000000004B06", 1, 0, 0,
         true},
        {"checksum one high", "573B0010000000000000000000000000000000004C06", 1, 0, 0, false},
        {"checksum one low", "573B0010000000000000000000000000000000004A06", 1, 0, 0, false},
        {"explicit positions", "00020305", 1, 2, 3, true},
        {"position past the end", "0002", 0, 1, 9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BlockSumOk(hex(c.bytes), c.first, c.last, c.at), c.ok);
    }
}

TEST(Requests, HaveTheirWireBytes) {
    EXPECT_EQ(HandshakeRequest(), hex("50524F4752414D"));
    EXPECT_EQ(EndRequest(), hex("454E44"));
    EXPECT_EQ(ReadRequest(0x3B00, 16), hex("523B0010"));
    EXPECT_EQ(ReadRequest(0x3BF0, 16), hex("523BF010"));
    EXPECT_EQ(DataFrame(0x3B00, QByteArray(16, '\0')),
              hex("573B0010000000000000000000000000000000004B06"));
    EXPECT_EQ(DataFrame(0x3B60, hex("0102030405060708090A0B0C0D0E0FFF")),
              hex("573B60100102030405060708090A0B0C0D0E0FFF2206"));
}

TEST(HandshakeAnswer, IsFoundAnywhereInTheBuffer) {
    struct Case {
        const char* name;
        const char* bytes;
        bool found;
    };
    const std::vector<Case> cases = {
        {"exactly ten bytes", "50524F4752414D515806", true},
        {"stray bytes before",
         "FF0000"
         "50524F4752414D515806",
         true},
        {"bytes after the 06",
         "50524F4752414D515806"
         "0102",
         true},
        {"nine bytes never", "524F4752414D515806", false},
        {"answer without echo", "515806", false},
        {"wrong last byte", "50524F4752414D51580A", false},
        {"echo only", "50524F4752414D", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray b = hex(c.bytes);
        EXPECT_EQ(ContainsHandshakeAnswer(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                          static_cast<int>(b.size())),
                  c.found);
    }
}

} // namespace
} // namespace tavrik::frames
