#pragma once

#include "settings/ImageLayout.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace tavrik {

/// The working copy of the radio's 256-byte settings memory, addressed by radio
/// address 0x3B00..0x3BFF and moved in 16 blocks of 16 bytes. Every access is
/// bounds-checked: reads outside the window give 0, writes outside it are ignored.
class RadioImage {
public:
    static constexpr int kFirstAddress = layout::kImageBase;
    static constexpr int kSize = layout::kImageSize;
    static constexpr int kLastAddress = kFirstAddress + kSize - 1;
    static constexpr int kBlockSize = layout::kBlockSize;
    static constexpr int kLastBlock = kFirstAddress + kSize - kBlockSize;

    [[nodiscard]] static bool contains(int address) {
        return address >= kFirstAddress && address <= kLastAddress;
    }

    [[nodiscard]] std::uint8_t at(int address) const;
    void set(int address, std::uint8_t value);

    /// `count` bytes from `address` upward (cut at the end of the window).
    [[nodiscard]] QByteArray bytes(int address, int count) const;
    /// Stores `data` from `address` upward; bytes that fall outside the window are dropped.
    void setBytes(int address, const QByteArray& data);

    /// All 256 bytes, offset 0 being radio address 0x3B00.
    [[nodiscard]] const std::array<std::uint8_t, kSize>& raw() const { return m_bytes; }

private:
    std::array<std::uint8_t, kSize> m_bytes{};
};

} // namespace tavrik
