// VEL_TAVRIK_DovI: the set-up tool for the TAVRIK handheld radio.
#include "app/Program.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Message boxes share the window's font.
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    tavrik::app::Program program(tavrik::platform::programFolder());
    program.window().show();
    return QApplication::exec();
}
