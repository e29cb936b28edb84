#pragma once

#include <QtGlobal>

#include <chrono>

/// The types the programming link shares with the window and with the texts that
/// explain its endings. The values are the documented codes.
namespace tavrik {

/// Kind of the running operation.
enum class OpKind : qint16 { Idle = 0, Read = 1, Write = 2, MulWrite = 3 };

/// Language of the window's texts, chosen once at start-up.
enum class Language : qint16 { English = 1, Chinese = 2 };

/// Step codes of ReadStep and WriteStep: the request whose answer is awaited.
///
///   code  kinds             request outstanding
///   0     all               none yet (set by the start command)
///   1     all               handshake
///   3     read              read of 0x3B00 (model check on its answer)
///   4     read              read of a further block, 0x3B10..0x3BF0
///   41    write             read of 0x3B00
///   4     write             read of 0x3B10 (model check on its answer)
///   4     multi-write       read of 0x3B00 (model check on its answer)
///   43    multi-write       read of 0x3B10, after the model check
///   44    multi-write       read of 0x3B20 (the serial number), after the model check
///   42    write, multi      read of 0x3BF0, the last block read before the writes
///   5     write, multi      a block write
///   69    all               end request after the last block
///   70    all               end request after a model mismatch
///
/// Code 4 stands for three requests, told apart by the kind of operation. 42 and 43
/// fetch the blocks whose bytes a write sends back as held, from the radio being
/// written, so that nothing of another radio (or of an all-zero image) is copied into it;
/// 44 tells the radio just written in a multi-write from the next one.
enum class Step : qint16 {
    None = 0,
    Handshake = 1,
    ReadModelBlock = 3,
    ReadBlock = 4,
    WriteFirstRead = 41,
    WriteModelRead = 4,
    WriteTailRead = 42,
    MulWriteSecondRead = 43,
    MulWriteSerialRead = 44,
    WriteBlock = 5,
    EndAfterBlocks = 69,
    EndAfterModelError = 70,
};

/// A request of the protocol, as the link sends it: the kind, and for a read or a block
/// write the block's address. The link hands this value on (to the reply matcher, the
/// record of the line and the failure texts), so nothing works the kind out again from
/// the bytes on the line.
struct Request {
    enum class Kind { Handshake, Read, BlockWrite, End };
    Kind kind = Kind::Handshake;
    int address = 0;

    friend bool operator==(const Request& a, const Request& b) {
        return a.kind == b.kind && a.address == b.address;
    }
    friend bool operator!=(const Request& a, const Request& b) { return !(a == b); }
};

/// The answer time-out of every request.
inline constexpr std::chrono::milliseconds kAnswerTimeout{500};
/// One character on the line at 9600 baud, 8N1: ten bits.
inline constexpr std::chrono::microseconds kCharTime{1042};

} // namespace tavrik
