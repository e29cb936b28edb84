#pragma once

#include "radiosim/Memory.h"

#include <QByteArray>

#include <cstdint>

namespace tavrik::test {

/// The fields a write owns in the radio's memory, as the window gave them.
struct WrittenFields {
    std::uint8_t band = 0;
    std::uint8_t flags = 0; ///< bits 1..3 (Freq. Set, Stun, Kill)
    QByteArray password;
    QByteArray dealerCode;
    QByteArray stockDate;
    QByteArray sellDate;
    QByteArray seller;
};

/// What a write leaves in a radio's memory: `before` with the band byte (0x0F), flag
/// bits 1..3 (0x10), the password (0x18, 4 bytes) and the four dealer fields (0x60,
/// 0x70, 0x80, 0x90, 16 bytes each) replaced, zero-filled; every other byte as it was.
inline radiosim::Memory afterWrite(const radiosim::Memory& before, const WrittenFields& w) {
    radiosim::Memory expected = before;
    expected[0x0F] = w.band;
    expected[0x10] = static_cast<std::uint8_t>((before[0x10] & 0xF1) | w.flags);
    const auto put = [&expected](int offset, const QByteArray& text, int n) {
        for (int i = 0; i < n; ++i) {
            expected[static_cast<std::size_t>(offset + i)] =
                i < text.size() ? static_cast<std::uint8_t>(text.at(i)) : 0;
        }
    };
    put(0x18, w.password, 4);
    put(0x60, w.dealerCode, 16);
    put(0x70, w.stockDate, 16);
    put(0x80, w.sellDate, 16);
    put(0x90, w.seller, 16);
    return expected;
}

} // namespace tavrik::test
