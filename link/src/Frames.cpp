#include "link/Frames.h"

#include "settings/ImageLayout.h"

namespace tavrik::frames {

namespace {

// High and low byte of an address, as the frames carry it (high byte first).
void appendAddress(QByteArray& out, int address) {
    out.append(static_cast<char>((address >> 8) & 0xFF));
    out.append(static_cast<char>(address & 0xFF));
}

} // namespace

std::uint8_t ByteAt(const QByteArray& bytes, int position) {
    if (position < 0 || position >= bytes.size()) {
        return 0;
    }
    return static_cast<std::uint8_t>(bytes.at(position));
}

std::uint8_t BlockSum(const QByteArray& bytes, int first, int last) {
    if (last == 0) {
        last = static_cast<int>(bytes.size()) - 3;
    }
    unsigned sum = 0;
    for (int i = first; i <= last; ++i) {
        sum += ByteAt(bytes, i);
    }
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

bool BlockSumOk(const QByteArray& bytes, int first, int last, int at) {
    if (at == 0) {
        at = static_cast<int>(bytes.size()) - 2;
    }
    if (at < 0 || at >= bytes.size()) {
        return false;
    }
    return BlockSum(bytes, first, last) == ByteAt(bytes, at);
}

QByteArray HandshakeRequest() {
    return QByteArray("PROGRAM", kHandshakeLength);
}

QByteArray EndRequest() {
    return QByteArray("END", kEndLength);
}

QByteArray ReadRequest(int address, int length) {
    QByteArray out;
    out.append(static_cast<char>(kReadMark));
    appendAddress(out, address);
    out.append(static_cast<char>(length & 0xFF));
    return out;
}

QByteArray DataFrame(int address, const QByteArray& data) {
    QByteArray out;
    out.reserve(kFrameLength);
    out.append(static_cast<char>(kFrameMark));
    appendAddress(out, address);
    out.append(static_cast<char>(layout::kBlockSize));
    QByteArray block = data.left(layout::kBlockSize);
    block.append(QByteArray(layout::kBlockSize - block.size(), '\0'));
    out.append(block);
    out.append(static_cast<char>(BlockSum(out, 1, 19)));
    out.append(static_cast<char>(kAck));
    return out;
}

} // namespace tavrik::frames
