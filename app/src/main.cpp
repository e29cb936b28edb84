// VEL_TAVRIK_DovI: the set-up tool for the TAVRIK handheld radio.
#include "app/FrmMain.h"
#include "link/ModComm.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtSerialPort.h"
#include "platform/QtTimer.h"
#include "platform/SettingsFile.h"
#include "platform/SystemOsVersion.h"
#include "platform/SystemSerialPortMap.h"
#include "platform/TextServices.h"
#include "ports/ModSetComm.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <memory>

int main(int argc, char** argv) {
    using namespace tavrik;
    QApplication application(argc, argv);
    // Message boxes share the window's font.
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    // The services live longer than the window, which is destroyed first.
    // mysetup.ini and the alias folder: beside the program while its folder can be
    // written, else in the user's configuration folder.
    const platform::SettingsFolders folders =
        platform::systemSettingsFolders(platform::programFolder());
    const platform::TextServices text = platform::makeSystemTextServices();
    const platform::SystemOsVersion osVersion;
    const std::unique_ptr<platform::SerialPortMap> portMap =
        platform::makeSystemSerialPortMap(platform::aliasFolders(folders));
    platform::SettingsFile ini(folders);
    platform::QtSerialPort port(*portMap);
    platform::QtTimer waitTimer(kAnswerTimeout);
    platform::QtTimer refreshTimer(ModSetComm::kRefreshInterval);
    platform::QtMessageBoxes messages;
    const platform::SystemClock clock;

    const app::FrmMainServices services{
        *text.locale, *text.calendar, *text.codePage, osVersion, *portMap, ini,
        port,         waitTimer,      refreshTimer,   messages,  clock};
    // Qt's own texts (OK and Cancel in message boxes, the fields' context menus) in the
    // window's language; without the translation files they stay English.
    QTranslator qtTexts;
    app::FrmMain window(services);
    if (window.LanguageFlag() == kLanguageChinese &&
        qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    messages.setParent(&window);
    window.show();
    // A port that cannot be stored anywhere is said once, in the window's language; a
    // store at start-up that failed is said as soon as the window is up.
    ini.setStoreFailedHandler([&ini, &window, &messages] {
        QTimer::singleShot(0, &window, [&ini, &window, &messages] {
            messages.inform(platform::storeFailedMessage(window.LanguageFlag() == kLanguageChinese,
                                                         ini.folders()),
                            platform::MessageIcon::Exclamation);
        });
    });
    const int result = QApplication::exec();
    ini.setStoreFailedHandler({});
    messages.setParent(nullptr);
    return result;
}
