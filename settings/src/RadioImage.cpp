#include "settings/RadioImage.h"

namespace tavrik {

std::uint8_t RadioImage::at(int address) const {
    return contains(address) ? m_bytes[static_cast<std::size_t>(address - kFirstAddress)] : 0;
}

void RadioImage::set(int address, std::uint8_t value) {
    if (contains(address)) {
        m_bytes[static_cast<std::size_t>(address - kFirstAddress)] = value;
    }
}

QByteArray RadioImage::bytes(int address, int count) const {
    if (!contains(address) || count <= 0) {
        return {};
    }
    const int available = kLastAddress - address + 1;
    const int length = count < available ? count : available;
    const auto* first = m_bytes.data() + (address - kFirstAddress);
    return QByteArray(reinterpret_cast<const char*>(first), length);
}

void RadioImage::setBytes(int address, const QByteArray& data) {
    // 64-bit arithmetic: address + i must not overflow for an address near INT_MAX.
    for (qsizetype i = 0; i < data.size(); ++i) {
        const qint64 target = qint64{address} + i;
        if (target >= kFirstAddress && target <= kLastAddress) {
            set(static_cast<int>(target), static_cast<std::uint8_t>(data.at(i)));
        }
    }
}

} // namespace tavrik
