#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace tavrik::radiosim {

/// The radio's 256-byte settings memory, offset 0 being radio address 0x3B00.
using Memory = std::array<std::uint8_t, 256>;

inline constexpr int kMemoryBase = 0x3B00;

/// The language of the dealer text in a default memory.
enum class DealerText {
    Ascii,   ///< plain ASCII, which every code page shows the same
    Chinese, ///< the seller in Chinese (GBK, code page 936)
};

/// A realistic memory of a TAVRIK as it leaves the factory and a dealer's hands.
[[nodiscard]] Memory DefaultMemory(DealerText dealerText = DealerText::Ascii);

/// Reads a memory file (exactly 256 bytes). False, with a reason in `error`, otherwise.
[[nodiscard]] bool LoadMemory(const QString& path, Memory& memory, QString* error);
/// Writes the memory to a file, replacing it whole. False when it cannot be written.
[[nodiscard]] bool SaveMemory(const QString& path, const Memory& memory);

} // namespace tavrik::radiosim
