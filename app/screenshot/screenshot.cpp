// tavrik-screenshot: draws the main window for the documentation, on fixed stand-ins
// for the system (locale, date, ports), and saves it as a PNG.
//
//   tavrik-screenshot --locale 0x0804 --panel --out docs/window-multiwrite.png
#include "app/FrmMain.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/MessageBoxes.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPort.h"
#include "platform/SerialPortMap.h"
#include "platform/SystemCalendar.h"
#include "platform/SystemLocale.h"
#include "platform/Timer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>

namespace {

using namespace tavrik;

struct Locale final : platform::SystemLocale {
    std::uint32_t lcid = 0x0409;
    [[nodiscard]] std::uint32_t systemDefaultLcid() const override { return lcid; }
};

struct Calendar final : platform::SystemCalendar {
    [[nodiscard]] QDate today() const override { return {2026, 3, 5}; }
    [[nodiscard]] QString shortDate(const QDate& date) const override {
        return date.toString(QStringLiteral("yyyy/M/d"));
    }
};

struct Latin1 final : platform::CodePage {
    [[nodiscard]] int number() const override { return 28591; }
    [[nodiscard]] QByteArray fromUnicode(const QString& text) const override {
        return text.toLatin1();
    }
    [[nodiscard]] QString toUnicode(const QByteArray& bytes) const override {
        return QString::fromLatin1(bytes);
    }
};

struct Os final : platform::OsVersion {
    [[nodiscard]] std::optional<platform::OsVersionInfo> query() const override {
        return platform::OsVersionInfo{2, 10, 0};
    }
};

struct Ports final : platform::SerialPortMap {
    [[nodiscard]] std::optional<std::vector<platform::PortMapEntry>> entries() const override {
        return std::vector<platform::PortMapEntry>{
            {QStringLiteral("COM1"), QStringLiteral("/dev/ttyS0")},
            {QStringLiteral("COM100"), QStringLiteral("/dev/ttyUSB0")}};
    }
    [[nodiscard]] QString deviceFor(int) const override { return {}; }
};

struct Ini final : platform::ProfileFile {
    [[nodiscard]] QString read(const QString&, const QString&, const QString&) const override {
        return QStringLiteral("100");
    }
    bool write(const QString&, const QString&, const QString&) override { return true; }
};

// The window is only drawn: nothing is sent and no box is shown.
struct NoPort final : platform::SerialPort {
    bool open(int) override { return false; }
    void close() override {}
    [[nodiscard]] bool isOpen() const override { return false; }
    [[nodiscard]] QString device() const override { return {}; }
    [[nodiscard]] platform::OpenFailure lastOpenFailure() const override { return {}; }
    void clearBuffers() override {}
    void setReceiveThreshold(int) override {}
    [[nodiscard]] int receiveThreshold() const override { return 1; }
    bool send(const QByteArray&) override { return false; }
    [[nodiscard]] QByteArray takeInput() override { return {}; }
    void setReceiveHandler(std::function<void()>) override {}
    void setLostHandler(std::function<void()>) override {}
};

struct IdleTimer final : platform::Timer {
    void setEnabled(bool) override {}
    [[nodiscard]] bool isEnabled() const override { return false; }
    void setHandler(std::function<void()>) override {}
};

struct SilentBoxes final : platform::MessageBoxes {
    void inform(const QString&, platform::MessageIcon, const platform::MessageDetails&) override {}
    [[nodiscard]] bool askOkCancel(const QString&, platform::MessageIcon) override { return true; }
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Saves a picture of the main window."));
    parser.addHelpOption();
    const QCommandLineOption localeOption(
        QStringLiteral("locale"), QStringLiteral("System locale identifier (0x0409, 0x0804)."),
        QStringLiteral("LCID"), QStringLiteral("0x0409"));
    const QCommandLineOption panelOption(QStringLiteral("panel"),
                                         QStringLiteral("Show the multi-write panel."));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("PNG file to write."),
                                       QStringLiteral("FILE"));
    parser.addOptions({localeOption, panelOption, outOption});
    parser.process(application);
    if (!parser.isSet(outOption)) {
        std::fputs("--out FILE is required\n", stderr);
        return 2;
    }
    bool ok = false;
    Locale locale;
    locale.lcid = parser.value(localeOption).toUInt(&ok, 0);
    if (!ok) {
        std::fputs("--locale needs a number such as 0x0804\n", stderr);
        return 2;
    }

    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    const Calendar calendar;
    const Latin1 codePage;
    const Os os;
    const Ports ports;
    Ini ini;
    NoPort port;
    IdleTimer waitTimer;
    IdleTimer quietTimer;
    IdleTimer refreshTimer;
    SilentBoxes messages;
    const platform::SystemClock clock;
    const app::FrmMainServices services{locale,     calendar,     codePage, os,
                                        ports,      ini,          port,     waitTimer,
                                        quietTimer, refreshTimer, messages, clock};
    app::FrmMain window(services);
    window.setMulWritePanelVisible(parser.isSet(panelOption));
    window.show();
    QApplication::processEvents();
    const QString out = parser.value(outOption);
    if (!window.grab().save(out, "PNG")) {
        QTextStream(stderr) << "Cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
