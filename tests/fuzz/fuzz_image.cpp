// The radio's memory as a Read brings it: any 256 bytes (the input, cut or padded with
// zeros) through ParseImage and then, with nothing edited, BuildWriteImage, under the
// code pages of a Chinese (936) and a Western (1252) system.
//
// Properties, any violation aborts:
// - every byte outside the four dealer fields (0x3B60..0x3B9F) goes back as the radio
//   sent it: the bytes a write does not own, and the band, the flag byte and the
//   password's four bytes, which it owns but nobody edited;
// - a dealer field that read as text (no U+FFFD in it) reads as the same text after
//   the write: what the dealer saw is what goes back.
#include "FixedCalendar.h"
#include "Require.h"
#include "platform/CodePage.h"
#include "settings/ModData.h"

#include <array>
#include <memory>

namespace {

using namespace tavrik;
using tavrik::test::require;

std::array<QString, 4> dealerTexts(const RadioSettings& s) {
    return {s.DealerCode.text(), s.StockDate.text(), s.SellDate.text(), s.Seller.text()};
}

void check(const platform::CodePage& codePage, const QByteArray& radio) {
    static const test::FixedCalendar calendar(QDate(2026, 3, 5));
    // On the heap, where AddressSanitizer guards both ends of it.
    const auto data = std::make_unique<ModData>(codePage, calendar);
    data->LoadDefaults();
    data->image().setBytes(0x3B00, radio);
    data->ParseImage();
    const std::array<QString, 4> read = dealerTexts(data->settings());
    data->BuildWriteImage();
    const QByteArray written = data->image().bytes(0x3B00, 256);
    require(written.left(0x60) + written.mid(0xA0) == radio.left(0x60) + radio.mid(0xA0),
            "a write with nothing edited changes only the dealer fields");
    data->ParseImage();
    for (std::size_t field = 0; field < 4; ++field) {
        require(read.at(field).contains(QChar(QChar::ReplacementCharacter)) ||
                    dealerTexts(data->settings()).at(field) == read.at(field),
                "a dealer field reads the same after a write with nothing edited");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::unique_ptr<platform::CodePage>, 2> codePages{
        platform::makeCodePage(936), platform::makeCodePage(1252)};
    QByteArray radio(reinterpret_cast<const char*>(data),
                     static_cast<qsizetype>(std::min<std::size_t>(size, 256)));
    radio.append(QByteArray(256 - radio.size(), '\0'));
    for (const auto& codePage : codePages) {
        require(codePage != nullptr, "code pages 936 and 1252 are available");
        check(*codePage, radio);
    }
    return 0;
}
