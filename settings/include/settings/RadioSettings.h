#pragma once

#include "settings/FixedText.h"
#include "settings/ImageLayout.h"

#include <QString>
#include <QStringList>

namespace tavrik {

/// The three band plans; a band index is a position in this list.
[[nodiscard]] const QStringList& BandList();

/// The one settings record: the decoded, editable form of the radio's memory plus
/// a few values that never travel to the radio. Field names follow the record's
/// documented layout, in its declared order; a field the image holds is as wide as its
/// bytes there. kSettingsFields says how each text field travels.
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
    FixedText ProgramPassword{layout::kProgramPassword.length};
    FixedText SerialNumber{layout::kSerialNumber.length};
    FixedText ProductionDate{layout::kProductionDate.length};
    FixedText ManufactureCode{layout::kManufactureCode.length};
    FixedText UserCode{layout::kUserCode.length};
    FixedText MaintainedDate{layout::kMaintainedDate.length};
    FixedText DealerCode{layout::kDealerCode.length};
    FixedText StockDate{layout::kStockDate.length};
    FixedText SellDate{layout::kSellDate.length};
    FixedText Seller{layout::kSeller.length};
    FixedText MaintainedDescription{layout::kMaintainedDescription.length};
    QString ModelName;
    QString AreaCode;
    QString RfFirmwareVersion;
    QString LcdFirmwareVersion;
};

} // namespace tavrik
