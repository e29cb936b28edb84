#pragma once

#include "radiosim/Memory.h"

#include <QByteArray>

namespace tavrik::test {

/// The radio memory every test starts from is the simulated radio's own,
/// radiosim::DefaultMemory(): a TAVRIK with its identity, factory and dealer fields,
/// an erased field, dealer text in ASCII (a Chinese seller with DealerText::Chinese) and
/// bytes this program does not interpret. A test
/// changes what it needs with Put.
inline void Put(radiosim::Memory& memory, int offset, const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        memory.at(static_cast<std::size_t>(offset + i)) = static_cast<std::uint8_t>(bytes.at(i));
    }
}

} // namespace tavrik::test
