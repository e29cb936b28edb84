// tavrik-screenshot: draws the main window for the documentation, on the test support's
// stand-ins for the system (locale, date, ports), and saves it as a PNG.
//
//   tavrik-screenshot --locale 0x0804 --panel --out docs/window-multiwrite.png
#include "FakeMessageBoxes.h"
#include "FakeSerialPort.h"
#include "FakeTimer.h"
#include "FixedCalendar.h"
#include "ServiceFakes.h"
#include "VirtualClock.h"
#include "app/FrmMain.h"
#include "platform/CodePage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>

using namespace tavrik;

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
    test::FakeLocale locale;
    locale.lcid = parser.value(localeOption).toUInt(&ok, 0);
    if (!ok) {
        std::fputs("--locale needs a number such as 0x0804\n", stderr);
        return 2;
    }

    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    // The test support's stand-ins for the system. The window is only drawn: no port
    // opens, no time passes, and no box is shown.
    const test::FixedCalendar calendar(QDate(2026, 3, 5));
    const std::unique_ptr<platform::CodePage> codePage = platform::makeCodePage(28591);
    const test::FakeOsVersion os;
    test::FakePortMap ports;
    ports.ports = {{QStringLiteral("COM1"), QStringLiteral("/dev/ttyS0")},
                   {QStringLiteral("COM100"), QStringLiteral("/dev/ttyUSB0")}};
    test::FakeIni ini;
    ini.values.insert(QStringLiteral("language/comPort"), QStringLiteral("100"));
    test::VirtualClock clock;
    test::FakeSerialPort port(clock);
    test::FakeTimer waitTimer(clock, kAnswerTimeout);
    test::FakeTimer wakeTimer(clock, kAnswerTimeout);
    test::FakeTimer refreshTimer(clock, ModSetComm::kRefreshInterval);
    test::FakeMessageBoxes messages;
    const test::VirtualTime time(clock);
    const app::FrmMainServices services{locale, calendar,  *codePage, os,           ports,    ini,
                                        port,   waitTimer, wakeTimer, refreshTimer, messages, time};
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
