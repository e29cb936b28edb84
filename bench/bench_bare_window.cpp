// The yardsticks of bench_startup: a bare Qt Widgets window of the main window's size,
// shown at once. With --text it also shows one caption and one field in the font the
// program asks for (Arial 9, as the application's font), so that it pays what any
// window with text pays before it is mapped: the font database, the font's match and
// its first glyphs, a line edit.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(642, 567);
    if (withText) {
        QFont font(QStringLiteral("Arial"), 9);
        font.setStyleHint(QFont::SansSerif);
        QApplication::setFont(font);
        auto* caption = new QLabel(QStringLiteral("Serial Number"), &window);
        caption->move(8, 8);
        auto* field = new QLineEdit(&window);
        field->move(136, 4);
    }
    window.show();
    return QApplication::exec();
}
