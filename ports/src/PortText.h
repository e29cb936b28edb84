#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tavrik {
class ListControl;
}

namespace tavrik::ports_detail {

/// The number part of a name from the serial-port map: its characters 4 to 6 (the
/// name ends at its first NUL), spaces around them removed. "COM1234" gives "123".
[[nodiscard]] QString portPart(const QString& mapName);

/// The port number of a number part: plain decimal above 0, no sign, no leading
/// zeros, at most three digits; empty otherwise. Plain text only, so that "COM" and the
/// number always spell the entry it came from.
[[nodiscard]] std::optional<qint16> portNumber(QStringView part);

/// The entry text for a port number: "COM" and the number in decimal.
[[nodiscard]] QString portEntry(int number);

/// Position of the first entry equal to `text`; -1 when there is none.
[[nodiscard]] int indexOfEntry(const ListControl& list, const QString& text);

} // namespace tavrik::ports_detail
