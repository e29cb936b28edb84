#include "ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace tavrik::ui {
namespace {

// Drawn on a 32-unit grid and scaled, in a handful of flat colours; edges are smoothed
// only above the window's own 32 pixels, where the grid's steps would show.
void drawRadio(QPaintDevice& device, int size) {
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing, size > 32);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(Qt::NoPen);
    // Antenna.
    painter.setBrush(QColor(0x00, 0x00, 0x00));
    painter.drawRect(QRectF(9, 1, 3, 9));
    // Body.
    painter.setBrush(QColor(0x00, 0x00, 0x80));
    painter.drawRoundedRect(QRectF(7, 8, 18, 23), 3, 3);
    // Display.
    painter.setBrush(QColor(0x00, 0xFF, 0x00));
    painter.drawRect(QRectF(10, 11, 12, 6));
    // Keypad.
    painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            painter.drawRect(QRectF(10 + col * 4.5, 19 + row * 3.7, 3, 2.5));
        }
    }
    // Knob.
    painter.setBrush(QColor(0xFF, 0x00, 0x00));
    painter.drawRect(QRectF(19, 4, 4, 4));
}

QPixmap radioPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    drawRadio(pixmap, size);
    return pixmap;
}

} // namespace

QIcon AppIcon() {
    QIcon icon;
    icon.addPixmap(radioPixmap(16));
    icon.addPixmap(radioPixmap(32));
    return icon;
}

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    drawRadio(image, size);
    return image;
}

} // namespace tavrik::ui
