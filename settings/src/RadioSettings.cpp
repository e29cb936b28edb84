#include "settings/RadioSettings.h"

namespace tavrik {

const QStringList& BandList() {
    static const QStringList kBands{
        QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 148 MHz}"),
        QStringLiteral("UHF{400 - 490 MHz} VHF{136 - 174 MHz}"),
        QStringLiteral("UHF{430 - 440 MHz} VHF{144 - 146 MHz}"),
    };
    return kBands;
}

} // namespace tavrik
