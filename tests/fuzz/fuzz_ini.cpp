// mysetup.ini as a hand, an editor or a broken disk may leave it: the input is
// the file's content. Start-up reads the remembered port, a port is stored, and
// it is read back.
//
// Properties, any violation aborts (a reader that loops is caught by
// libFuzzer's -timeout):
// - the store succeeds and the port read back is the one stored;
// - the store changes the file in one place only, within one line: every other
// line,
//   and every line break, keeps its bytes.
#include "Require.h"
#include "platform/IniProfileFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {

using namespace tavrik;
using tavrik::test::require;

// `after` is `before` with one stretch replaced, and what it replaced held no line break.
bool changedWithinOneLine(const QByteArray& before, const QByteArray& after) {
    const auto head =
        std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first -
        before.begin();
    const auto tail =
        std::mismatch(before.rbegin(), before.rend() - head, after.rbegin(), after.rend() - head)
            .first -
        before.rbegin();
    const QByteArray replaced = before.mid(head, before.size() - head - tail);
    return !replaced.contains('\n') && !replaced.contains('\r');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir scratch;
    require(scratch.isValid(), "a scratch folder");
    const QString path = platform::settingsFilePath(scratch.path());
    const QByteArray before(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(before) == before.size(),
            "the scratch file can be written");
    file.close();

    platform::IniProfileFile ini(path);
    const QString section = QStringLiteral("language");
    const QString key = QStringLiteral("comPort");
    (void)ini.read(section, key, QString());
    const QString port = QString::number(1 + size % 256);
    require(ini.write(section, key, port), "the port is stored");
    require(ini.read(section, key, QString()) == port, "the port read back is the one stored");
    require(file.open(QIODevice::ReadOnly) && changedWithinOneLine(before, file.readAll()),
            "the store keeps every other line");
    return 0;
}
