#pragma once

#include "app/FrmMain.h"

#include <QString>
#include <QTranslator>

#include <memory>

namespace tavrik::platform {
class QtSerialPort;
} // namespace tavrik::platform

namespace tavrik::app {

/// The program put together: the system's services for a program that lives in
/// `programFolder` (settings and port aliases beside it, or in the user's folder) and
/// the main window on them. main() makes one; the end-to-end test makes one on a
/// folder of its own, so that what the test runs is what main() wires.
class Program {
public:
    explicit Program(const QString& programFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    [[nodiscard]] FrmMain& window() { return *m_window; }
    /// The serial line the window talks through.
    [[nodiscard]] const platform::QtSerialPort& port() const;

private:
    struct Services;
    std::unique_ptr<Services> m_services; // outlive the window, which goes first
    std::unique_ptr<FrmMain> m_window;
    QTranslator m_qtTexts;
};

} // namespace tavrik::app
