#include "app/Shape.h"

#include <QPainter>

namespace veskin {

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

}  // namespace veskin
