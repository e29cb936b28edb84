// The yardstick of bench_startup: a bare Qt Widgets window of the main window's size,
// shown at once.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(642, 567);
    window.show();
    return QApplication::exec();
}
