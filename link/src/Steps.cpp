#include "link/Steps.h"

#include "settings/ImageLayout.h"

#include <algorithm>

namespace tavrik::steps {

namespace {

Action send(Request::Kind kind, int address = 0) {
    Action a;
    a.kind = Action::Kind::Send;
    a.request = {kind, address};
    return a;
}

Action ending(Action::Kind kind) {
    Action a;
    a.kind = kind;
    return a;
}

Action endRequest(Step& stepVar, Step step) {
    stepVar = step;
    return send(Request::Kind::End);
}

// The next block of a Read, or the end request after the last.
Action readNext(LinkState& s) {
    s.BlockAddr = static_cast<qint16>(s.BlockAddr + layout::kBlockSize);
    if (s.BlockAddr > layout::kLastBlock) {
        return endRequest(s.ReadStep, Step::EndAfterBlocks);
    }
    return send(Request::Kind::Read, s.BlockAddr);
}

// The next of the blocks a write sends, in their order, or the end request after the last.
Action writeNext(LinkState& s) {
    const auto next = std::upper_bound(layout::kWriteBlocks.begin(), layout::kWriteBlocks.end(),
                                       static_cast<int>(s.BlockAddr));
    if (next == layout::kWriteBlocks.end()) {
        return endRequest(s.WriteStep, Step::EndAfterBlocks);
    }
    s.BlockAddr = static_cast<qint16>(*next);
    return send(Request::Kind::BlockWrite, *next);
}

// On the answer that carries the model word: on with the read of `address` (step
// `next`), or end the exchange without writing anything.
Action modelChecked(Step& stepVar, const Facts& facts, Step next, int address) {
    if (!facts.expectedModel) {
        return endRequest(stepVar, Step::EndAfterModelError);
    }
    stepVar = next;
    return send(Request::Kind::Read, address);
}

Action read(LinkState& s, Step step, const Facts& facts) {
    switch (step) {
    case Step::Handshake:
        s.ReadStep = Step::ReadModelBlock;
        return readNext(s);
    case Step::ReadModelBlock:
        if (!facts.expectedModel) {
            return endRequest(s.ReadStep, Step::EndAfterModelError);
        }
        s.ReadStep = Step::ReadBlock;
        return readNext(s);
    case Step::ReadBlock:
        return readNext(s);
    case Step::EndAfterModelError:
        return ending(Action::Kind::ModelError);
    default:
        return ending(Action::Kind::ReadDone);
    }
}

// The rows a write and a multi-write share: from the last read before writing on.
Action writing(LinkState& s, Step step) {
    switch (step) {
    case Step::WriteTailRead: {
        s.WriteStep = Step::WriteBlock;
        Action a = writeNext(s);
        a.takeFields = true;
        return a;
    }
    case Step::WriteBlock:
        return writeNext(s);
    case Step::EndAfterModelError:
        return ending(Action::Kind::ModelError);
    default:
        return ending(Action::Kind::WriteDone);
    }
}

Action write(LinkState& s, Step step, const Facts& facts) {
    switch (step) {
    case Step::Handshake:
        s.WriteStep = Step::WriteFirstRead;
        return send(Request::Kind::Read, layout::kFirstBlock);
    case Step::WriteFirstRead:
        s.WriteStep = Step::WriteModelRead;
        return send(Request::Kind::Read, layout::kSecondBlock);
    case Step::WriteModelRead:
        return modelChecked(s.WriteStep, facts, Step::WriteTailRead, layout::kLastBlock);
    default:
        return writing(s, step);
    }
}

Action mulWrite(LinkState& s, Step step, const Facts& facts) {
    switch (step) {
    case Step::Handshake: {
        if (s.MulWriteNo >= 2 && s.WaitNextCount < 2) {
            // The radio just written is still connected: keep polling.
            s.WaitNextCount = 0;
            return send(Request::Kind::Handshake);
        }
        // The first radio, or a radio that answered after two silent time-outs.
        s.WriteStep = Step::WriteModelRead;
        Action a = send(Request::Kind::Read, layout::kFirstBlock);
        a.newRadio = s.MulWriteNo >= 2;
        return a;
    }
    case Step::WriteModelRead:
        return modelChecked(s.WriteStep, facts, Step::MulWriteSerialRead,
                            layout::kSerialNumber.address);
    case Step::MulWriteSerialRead:
        if (s.MulWriteNo > 1 && facts.radioJustWritten) {
            // Some of its answers to the poll were lost and it passed for a new radio:
            // it is not written again, and the wait for the next one goes on.
            s.WriteStep = Step::Handshake;
            s.WaitNextCount = 0;
            Action a = send(Request::Kind::Handshake);
            a.kind = Action::Kind::WaitForNextRadio;
            return a;
        }
        s.WriteStep = Step::MulWriteSecondRead;
        return send(Request::Kind::Read, layout::kSecondBlock);
    case Step::MulWriteSecondRead:
        s.WriteStep = Step::WriteTailRead;
        return send(Request::Kind::Read, layout::kLastBlock);
    default:
        return writing(s, step);
    }
}

} // namespace

Action Start(LinkState& state, OpKind kind) {
    state.opKind = kind;
    state.BlockAddr = kCursorStart;
    (kind == OpKind::Read ? state.ReadStep : state.WriteStep) = Step::Handshake;
    return send(Request::Kind::Handshake);
}

Action Next(LinkState& s, const Facts& facts) {
    switch (s.opKind) {
    case OpKind::Read:
        s.LastGoodStep = s.ReadStep;
        return read(s, s.ReadStep, facts);
    case OpKind::Write:
        s.LastGoodStep = s.WriteStep;
        return write(s, s.WriteStep, facts);
    case OpKind::MulWrite:
        s.LastGoodStep = s.WriteStep;
        return mulWrite(s, s.WriteStep, facts);
    case OpKind::Idle:
        break;
    }
    return {};
}

Action Rejected(const LinkState& state) {
    return ending(state.opKind == OpKind::Idle ? Action::Kind::None : Action::Kind::SendAgain);
}

Action TimedOut(LinkState& s) {
    if (s.opKind == OpKind::MulWrite && s.MulWriteNo > 1 && s.WriteStep == Step::Handshake &&
        ++s.WaitNextCount <= kMaxWaitNextCount) {
        return send(Request::Kind::Handshake);
    }
    return ending(Action::Kind::CommunicationError);
}

} // namespace tavrik::steps
