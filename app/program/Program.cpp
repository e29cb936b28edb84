#include "app/Program.h"

#include "app/Messages.h"
#include "link/ModComm.h"
#include "platform/Clock.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtSerialPort.h"
#include "platform/QtTimer.h"
#include "platform/SettingsFile.h"
#include "platform/SystemOsVersion.h"
#include "platform/SystemSerialPortMap.h"
#include "platform/TextServices.h"
#include "ports/ModSetComm.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>

namespace tavrik::app {

struct Program::Services {
    explicit Services(const QString& programFolder)
        // mysetup.ini and the alias folder: beside the program while its folder can be
        // written, else in the user's configuration folder.
        : folders(platform::systemSettingsFolders(programFolder)),
          text(platform::makeSystemTextServices()),
          portMap(platform::makeSystemSerialPortMap(platform::aliasFolders(folders))), ini(folders),
          port(*portMap) {}

    const platform::SettingsFolders folders;
    const platform::TextServices text;
    const platform::SystemOsVersion osVersion;
    const std::unique_ptr<platform::SerialPortMap> portMap;
    platform::SettingsFile ini;
    platform::QtSerialPort port;
    platform::QtTimer waitTimer{kAnswerTimeout};
    platform::QtTimer wakeTimer{kAnswerTimeout};
    platform::QtTimer refreshTimer{ModSetComm::kRefreshInterval};
    platform::QtMessageBoxes messages;
    const platform::SystemClock clock;

    [[nodiscard]] FrmMainServices forWindow() {
        return {*text.locale, *text.calendar, *text.codePage, osVersion,    *portMap, ini,
                port,         waitTimer,      wakeTimer,      refreshTimer, messages, clock};
    }
};

Program::Program(const QString& programFolder)
    : m_services(std::make_unique<Services>(programFolder)),
      m_window(std::make_unique<FrmMain>(m_services->forWindow())) {
    // Qt's own texts (OK and Cancel in message boxes, the fields' context menus) in the
    // window's language; without the translation files they stay English.
    if (m_window->language() == Language::Chinese &&
        m_qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&m_qtTexts);
    }
    m_services->messages.setParent(m_window.get());
    // A port that cannot be stored anywhere is said once, in the window's language; a
    // store at start-up that failed is said as soon as the window is up.
    Services& s = *m_services;
    FrmMain& window = *m_window;
    s.ini.setStoreFailedHandler([&s, &window] {
        QTimer::singleShot(0, &window, [&s, &window] {
            const platform::SettingsFolders& folders = s.ini.folders();
            s.messages.inform(StoreFailedMessage(window.language(), folders.program, folders.user),
                              platform::MessageIcon::Exclamation);
        });
    });
}

Program::~Program() {
    m_services->ini.setStoreFailedHandler({});
    m_services->messages.setParent(nullptr);
    m_window.reset();
    QApplication::removeTranslator(&m_qtTexts);
}

const platform::QtSerialPort& Program::port() const {
    return m_services->port;
}

} // namespace tavrik::app
