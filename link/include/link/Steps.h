#pragma once

#include "link/LinkTypes.h"

#include <QtGlobal>

/// The step tables of Read, Write and multi-write as pure code: the link state and what
/// the shell knows in, the next action out. No I/O, no window, no timer.
namespace tavrik {

/// The link's state: written by the link's machine alone, read by the window.
struct LinkState {
    OpKind opKind = OpKind::Idle;
    Step ReadStep = Step::None;
    Step WriteStep = Step::None;
    Step LastGoodStep = Step::None;
    qint16 BlockAddr = 0x3AF0;
    qint32 WaitNextCount = 0;
    qint32 MulWriteNo = 0;
    qint32 MulWriteTotal = 0;
};

namespace steps {

/// The block cursor before the first block, so that 0x3B00 comes next.
inline constexpr qint16 kCursorStart = 0x3AF0;
/// Time-outs counted while a multi-write waits for its next radio before it gives up.
inline constexpr qint32 kMaxWaitNextCount = 28800;

using tavrik::Request;

/// What the shell does next.
struct Action {
    enum class Kind {
        Send,               ///< send `request`
        SendAgain,          ///< send the request awaited again, as it stands
        ReadDone,           ///< the Read is complete
        WriteDone,          ///< the Write, or this radio of a multi-write, is complete
        ModelError,         ///< the radio is of another model; nothing was written
        CommunicationError, ///< end the operation: no answer
        WaitForNextRadio,   ///< the radio on the cable is the one just written: poll on
        None,               ///< nothing runs
    };
    Kind kind = Kind::None;
    Request request;
    bool takeFields = false; ///< take the window's fields and build the image first
    bool newRadio = false;   ///< a multi-write's next radio answered
};

/// What the shell knows of the answer just taken, besides the link state.
struct Facts {
    bool expectedModel = false;    ///< the image holds the model word
    bool radioJustWritten = false; ///< the serial number read is that of the radio last written
};

/// The start of an operation of `kind`: its step is the handshake's, the cursor before
/// the first block; the handshake is sent. For a multi-write, also the poll for its next
/// radio.
[[nodiscard]] Action Start(LinkState& state, OpKind kind);
/// A good answer to the request awaited: the step of the operation's table.
[[nodiscard]] Action Next(LinkState& state, const Facts& facts);
/// The request awaited was rejected: it is sent again as it stands, the step unchanged
/// (resuming at the last good step would skip the rejected block).
[[nodiscard]] Action Rejected(const LinkState& state);
/// No answer within the time-out: a multi-write waiting for its next radio polls on,
/// for at most kMaxWaitNextCount time-outs; anything else ends.
[[nodiscard]] Action TimedOut(LinkState& state);

} // namespace steps
} // namespace tavrik
