#pragma once

#include <array>
#include <cstdint>

namespace tavrik::layout {

/// One field of the radio's settings memory: its radio address and its length in bytes.
struct ImageField {
    int address;
    int length;
};

// The radio's settings memory, 0x3B00..0x3BFF, as this program reads and writes it.
//
//  addr    len  content                        encoding                 on Write
//  ------  ---  -----------------------------  -----------------------  ---------------
//  0x3B00   7   model word "TAVRIK"            character bytes          as held
//  0x3B07   4   (not interpreted)                                       as held
//  0x3B0B   1   RF firmware major              unsigned byte            as held
//  0x3B0C   1   RF firmware minor              unsigned byte            as held
//  0x3B0D   1   LCD firmware major             unsigned byte            as held
//  0x3B0E   1   LCD firmware minor             unsigned byte            as held
//  0x3B0F   1   band index                     unsigned byte            from the record
//  0x3B10   1   flags: b0 factory, b1 freq.    bits                     b1..b3 from the
//               set, b2 stun, b3 kill,                                  record, b0 and
//               b4..b7 (not interpreted)                                b4..b7 as held
//  0x3B11   3   (not interpreted)                                       as held
//  0x3B14   4   user code                      character bytes          as held
//  0x3B18   4   programming password           character bytes, 0-fill  from the record
//  0x3B1C   4   area code                      character bytes          as held
//  0x3B20  16   serial number                  code-page text           not sent
//  0x3B30  16   production date                code-page text           not sent
//  0x3B40   8   manufacture code               code-page text           not sent
//  0x3B48   8   (not interpreted)                                       not sent
//  0x3B50  16   maintenance date               code-page text           not sent
//  0x3B60  16   dealer code                    code-page text, 0-fill   from the record
//  0x3B70  16   stock date                     code-page text, 0-fill   from the record
//  0x3B80  16   sell date                      code-page text, 0-fill   from the record
//  0x3B90  16   seller                         code-page text, 0-fill   from the record
//  0x3BA0  80   maintenance description        code-page text           not sent
//  0x3BF0  16   (not interpreted)                                       as held
//
// A text in the image ends at its first 0x00 or 0xFF byte (erased memory reads empty).

inline constexpr int kImageBase = 0x3B00;
inline constexpr int kImageSize = 256;
inline constexpr int kBlockSize = 16;
inline constexpr int kBlockCount = kImageSize / kBlockSize;
/// The first block, the second and the last, which the link asks for by name.
inline constexpr int kFirstBlock = kImageBase;
inline constexpr int kSecondBlock = kImageBase + kBlockSize;
inline constexpr int kLastBlock = kImageBase + kImageSize - kBlockSize;

inline constexpr ImageField kModelWord{0x3B00, 7};
/// A firmware version: its major byte, then its minor byte.
inline constexpr ImageField kRfVersion{0x3B0B, 2};
inline constexpr ImageField kLcdVersion{0x3B0D, 2};
inline constexpr ImageField kBand{0x3B0F, 1};
inline constexpr ImageField kFlags{0x3B10, 1};
inline constexpr ImageField kUserCode{0x3B14, 4};
inline constexpr ImageField kProgramPassword{0x3B18, 4};
inline constexpr ImageField kAreaCode{0x3B1C, 4};
inline constexpr ImageField kSerialNumber{0x3B20, 16};
inline constexpr ImageField kProductionDate{0x3B30, 16};
inline constexpr ImageField kManufactureCode{0x3B40, 8};
inline constexpr ImageField kMaintainedDate{0x3B50, 16};
inline constexpr ImageField kDealerCode{0x3B60, 16};
inline constexpr ImageField kStockDate{0x3B70, 16};
inline constexpr ImageField kSellDate{0x3B80, 16};
inline constexpr ImageField kSeller{0x3B90, 16};
inline constexpr ImageField kMaintainedDescription{0x3BA0, 80};

/// Bits of the flag byte at kFlags.
inline constexpr std::uint8_t kFactoryModeBit = 0x01;
inline constexpr std::uint8_t kFreqSetBit = 0x02;
inline constexpr std::uint8_t kStunBit = 0x04;
inline constexpr std::uint8_t kKillBit = 0x08;
/// The flag bits a Write takes from the record; the others go back as held.
inline constexpr std::uint8_t kWritableFlagBits = 0x0E;
static_assert(kWritableFlagBits == (kFreqSetBit | kStunBit | kKillBit));

/// Bytes that end a text field: unwritten (0x00) and erased (0xFF) memory.
inline constexpr std::uint8_t kTextEndZero = 0x00;
inline constexpr std::uint8_t kTextEndErased = 0xFF;

/// The blocks a Write sends, in the order it sends them. The other nine are never written.
inline constexpr std::array<int, 7> kWriteBlocks{0x3B00, 0x3B10, 0x3B60, 0x3B70,
                                                 0x3B80, 0x3B90, 0x3BF0};

/// The offset of a radio address from the start of the image.
[[nodiscard]] constexpr int offsetOf(int address) {
    return address - kImageBase;
}

static_assert(kModelWord.address + kModelWord.length == 0x3B07);
static_assert(kAreaCode.address + kAreaCode.length == kSerialNumber.address);
static_assert(kMaintainedDescription.address + kMaintainedDescription.length == 0x3BF0);
static_assert(kImageBase + kImageSize == 0x3C00);

} // namespace tavrik::layout
