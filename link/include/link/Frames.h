#pragma once

#include <QByteArray>

#include <cstdint>

/// The bytes of the programming protocol. Requests and the data frame:
///
///   handshake      50 52 4F 47 52 41 4D ("PROGRAM")   answer 51 58 06
///   read request   52 hi lo 10                        answer: a data frame
///   block write    a data frame                       answer 06 (ack) or 0A (reject)
///   end request    45 4E 44 ("END")                   answer 06 or 0A
///
///   data frame     57 | hi | lo | 10 | 16 data bytes | sum of bytes 1..19 | 06
///
/// Every answer arrives behind an echo of the request (the cable echoes what it is sent).
namespace tavrik::frames {

inline constexpr int kHandshakeLength = 7;
inline constexpr int kHandshakeAnswerLength = 3;
inline constexpr int kReadRequestLength = 4;
inline constexpr int kFrameLength = 22;
inline constexpr int kEndLength = 3;
inline constexpr int kSingleAnswerLength = 1;

inline constexpr std::uint8_t kFrameMark = 0x57;
inline constexpr std::uint8_t kReadMark = 0x52;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kReject = 0x0A;

/// Sum modulo 256 of bytes[first..last]; `last` 0 means the byte before the checksum
/// (the frame's last position - 2). Positions outside the bytes count as 0.
[[nodiscard]] std::uint8_t BlockSum(const QByteArray& bytes, int first, int last);
/// True when BlockSum(bytes, first, last) equals bytes[at]; `at` 0 means the
/// checksum position (the frame's last position - 1).
[[nodiscard]] bool BlockSumOk(const QByteArray& bytes, int first, int last, int at);

/// The byte at `position`; 0 for a position outside the bytes.
[[nodiscard]] std::uint8_t ByteAt(const QByteArray& bytes, int position);

[[nodiscard]] QByteArray HandshakeRequest();
[[nodiscard]] QByteArray EndRequest();
/// 52 hi lo len.
[[nodiscard]] QByteArray ReadRequest(int address, int length);
/// A data frame for `address` carrying `data` (padded with zeros or cut to 16 bytes).
[[nodiscard]] QByteArray DataFrame(int address, const QByteArray& data);

} // namespace tavrik::frames
