#include "radiosim/Memory.h"

#include <QFile>
#include <QSaveFile>

#include <cstring>
#include <initializer_list>

namespace tavrik::radiosim {

namespace {

void put(Memory& m, int offset, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) {
        m.at(static_cast<size_t>(offset++)) = b;
    }
}

void putText(Memory& m, int offset, const char* text) {
    const size_t n = std::strlen(text);
    std::memcpy(m.data() + offset, text, n);
}

} // namespace

Memory DefaultMemory(DealerText dealerText) {
    Memory m{};
    putText(m, 0x00, "TAVRIK");             // model word, 0x00 at 0x06
    put(m, 0x07, {0x5A, 0x01, 0x20, 0x07}); // not interpreted
    put(m, 0x0B, {0x01, 0x05, 0x01, 0x02}); // RF V1.05, LCD V1.02
    put(m, 0x0F, {0x01});                   // band 1: UHF 400-490, VHF 136-174
    put(m, 0x10, {0x33});                   // factory mode, freq. set, bits 4-5
    put(m, 0x11, {0xA5, 0x5A, 0x11});       // not interpreted
    putText(m, 0x14, "WOLP");               // user code
    putText(m, 0x18, "1234");               // programming password
    putText(m, 0x1C, "0571");               // area code
    putText(m, 0x20, "2025110300000042");   // serial number, all 16 bytes
    putText(m, 0x30, "2025-11-03");         // production date
    putText(m, 0x40, "11-1-E-1");           // manufacture code
    put(m, 0x48, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}); // not interpreted
    putText(m, 0x50, "2026-01-15");                                 // maintenance date
    putText(m, 0x60, "D-0042");                                     // dealer code
    putText(m, 0x70, "2025-12-01");                                 // stock date
    for (int i = 0x80; i < 0x90; ++i) {                             // sell date: erased
        m.at(static_cast<size_t>(i)) = 0xFF;
    }
    if (dealerText == DealerText::Chinese) {
        // Seller in GBK (code page 936): 王记通讯
        put(m, 0x90, {0xCD, 0xF5, 0xBC, 0xC7, 0xCD, 0xA8, 0xD1, 0xB6});
    } else {
        putText(m, 0x90, "Wang Radio Shop"); // seller
    }
    putText(m, 0xA0, "Replaced battery contacts");
    put(m, 0xF0,
        {0xC3, 0x3C, 0x00, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x0F, 0x1E, 0x2D,
         0x3C});
    return m;
}

bool LoadMemory(const QString& path, Memory& memory, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(memory.size()) + 1);
    if (bytes.size() != static_cast<qsizetype>(memory.size())) {
        if (error != nullptr) {
            *error = QStringLiteral("a memory file holds exactly 256 bytes, this one %1")
                         .arg(bytes.size());
        }
        return false;
    }
    std::memcpy(memory.data(), bytes.constData(), memory.size());
    return true;
}

bool SaveMemory(const QString& path, const Memory& memory) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const auto size = static_cast<qint64>(memory.size());
    if (file.write(reinterpret_cast<const char*>(memory.data()), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tavrik::radiosim
