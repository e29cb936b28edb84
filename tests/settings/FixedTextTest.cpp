#include "TestText.h"

#include "settings/FixedText.h"
#include "settings/RadioImage.h"

#include <gtest/gtest.h>

#include <climits>

namespace tavrik {
namespace {

using test::text;

TEST(TrimAtNul, RemovesTrailingSpacesThenCutsAtTheFirstNul) {
    struct Row {
        QString in;
        QString out;
    };
    const Row rows[] = {
        {text(u""), text(u"")},
        {text(u"    "), text(u"")},
        {text(u"AB  "), text(u"AB")},
        {text(u"  AB"), text(u"  AB")},
        {text(u"AB\0CD"), text(u"AB")},
        {text(u"\0AB"), text(u"")},
        {text(u"AB\0    "), text(u"AB")},
        // Spaces go first, so a space before the NUL stays.
        {text(u"AB \0 "), text(u"AB ")},
        {text(u"A B"), text(u"A B")},
        {text(u"中文\0  "), text(u"中文")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in.toStdString());
        EXPECT_EQ(TrimAtNul(row.in), row.out);
    }
}

TEST(FixedText, AssignmentIsLeftJustifiedToTheWidth) {
    struct Row {
        int width;
        QString assigned;
        QString raw;
        QString read;
    };
    const Row rows[] = {
        {4, text(u"AB"), text(u"AB  "), text(u"AB")},
        {4, text(u"ABCDEF"), text(u"ABCD"), text(u"ABCD")},
        {4, text(u""), text(u"    "), text(u"")},
        {4, text(u"\0"), text(u"\0   "), text(u"")},
        {8, text(u"03-1-E-1\0"), text(u"03-1-E-1"), text(u"03-1-E-1")},
        {16, text(u"X\0"), text(u"X\0              "), text(u"X")},
        {6, text(u"张三李四王五赵"), text(u"张三李四王五"), text(u"张三李四王五")},
        {0, text(u"AB"), text(u""), text(u"")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.assigned.toStdString() + " in " + std::to_string(row.width));
        FixedText field(row.width);
        field = row.assigned;
        EXPECT_EQ(field.raw(), row.raw);
        EXPECT_EQ(field.raw().size(), row.width);
        EXPECT_EQ(field.text(), row.read);
    }
}

TEST(RadioImage, AccessOutsideTheWindowIsHarmless) {
    RadioImage image;
    for (int address = 0x3B00; address <= 0x3BFF; ++address) {
        image.set(address, static_cast<std::uint8_t>(address & 0xFF));
    }
    const auto before = image.raw();

    image.set(0x3AFF, 0x11);
    image.set(0x3C00, 0x22);
    image.set(-1, 0x33);
    image.setBytes(INT_MAX - 1, QByteArray(8, '\x44'));
    image.setBytes(INT_MIN, QByteArray(8, '\x55'));
    EXPECT_EQ(image.raw(), before);
    EXPECT_EQ(image.at(0x3AFF), 0);
    EXPECT_EQ(image.at(0x3C00), 0);
    EXPECT_EQ(image.at(0x3B00), 0x00);
    EXPECT_EQ(image.at(0x3BFF), 0xFF);

    struct Row {
        int address;
        int count;
        QByteArray expected;
    };
    const Row rows[] = {
        {0x3B10, 3, QByteArray("\x10\x11\x12", 3)},
        {0x3BFD, 16, QByteArray("\xFD\xFE\xFF", 3)},
        {0x3AF0, 16, QByteArray()},
        {0x3C00, 1, QByteArray()},
        {0x3B20, 0, QByteArray()},
        {0x3B20, -4, QByteArray()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        EXPECT_EQ(image.bytes(row.address, row.count), row.expected);
    }
}

} // namespace
} // namespace tavrik
