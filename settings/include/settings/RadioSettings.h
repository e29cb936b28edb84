#pragma once

#include "settings/FixedText.h"

#include <QString>
#include <QStringList>

namespace tavrik {

/// The three band plans; a band index is a position in this list.
[[nodiscard]] const QStringList& BandList();

/// The one settings record: the decoded, editable form of the radio's memory plus
/// a few values that never travel to the radio. Field names follow the record's
/// documented layout, in its declared order.
struct RadioSettings {
    qint16 FactoryMode = 0;
    qint16 FreqSetEnabled = 0;
    qint16 StunEnabled = 0;
    qint16 KillEnabled = 0;
    FixedText StunCode{6};
    FixedText KillCode{6};
    qint16 Reserved1 = 0;
    qint16 Reserved2 = 0;
    /// Index into BandList(); a radio may report a value outside it, which is kept as is.
    qint16 BandIndex = 0;
    FixedText ProgramPassword{4};
    FixedText SerialNumber{16};
    FixedText ProductionDate{16};
    FixedText ManufactureCode{8};
    FixedText UserCode{4};
    FixedText MaintainedDate{16};
    FixedText DealerCode{16};
    FixedText StockDate{16};
    FixedText SellDate{16};
    FixedText Seller{16};
    FixedText MaintainedDescription{80};
    QString ModelName;
    QString AreaCode;
    QString RfFirmwareVersion;
    QString LcdFirmwareVersion;
};

} // namespace tavrik
