#pragma once

#include "link/LineRecord.h"
#include "link/LinkTypes.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

/// Why an operation failed and what to do about it: the link keeps a record of what
/// the line showed, the serial port says why it would not open, and these functions
/// turn that into the explanation below a message box's first line and the details
/// behind it. Texts follow the window's language (2 Chinese, anything else English).
namespace tavrik {

/// Why an operation ended in "Communication Error!", as far as the line tells.
enum class LineCause {
    NothingCameBack,     ///< not even the echo of a request came back
    NoRadioAnswer,       ///< the echo came back, the radio never answered
    NoEcho,              ///< bytes came back, but never the echo of the request
    AnswerNotUnderstood, ///< bytes came back behind the echo, but no answer to trust
    FellSilent,          ///< the radio answered, then fell silent part-way
    Refused,             ///< the radio refused the same request every time
    NoNextRadio,         ///< a multi-write waited in vain for its next radio
    PortLost,            ///< the port went away during the operation
};

[[nodiscard]] LineCause ClassifyLine(const LineRecord& record);

/// The step a request stands for, in a dealer's words: "connecting to the radio",
/// "reading the factory information", "writing the dealer information (block 3 of 7)",
/// "ending the programming". The block address is left to the details.
[[nodiscard]] QString DescribeStep(const Request& request, Language language);

/// A model word as the radio reported it: printable ASCII as it stands, any other
/// byte as <hh> ("TAVR<FF><FF><FF>").
[[nodiscard]] QString ModelWordText(const QByteArray& bytes);

/// "Cannot Open Communication Port.": the port and its device, the cause and its remedy.
[[nodiscard]] platform::MessageDetails ExplainOpenFailure(const platform::OpenFailure& failure,
                                                          int portNumber, const QDateTime& when,
                                                          Language language);
/// "Communication Error!": what the line showed, what it points at, and for a write
/// what the radio was left holding.
[[nodiscard]] platform::MessageDetails ExplainLineFailure(const LineRecord& record,
                                                          Language language);
/// "Model Type Error!": the model word the radio reported.
[[nodiscard]] platform::MessageDetails
ExplainModelError(const LineRecord& record, const QByteArray& modelWord, Language language);

} // namespace tavrik
