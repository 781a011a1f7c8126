#include "app/LabeledEdit.h"

namespace veskin {

TLabeledEdit::TLabeledEdit(const QString& caption, QWidget* parent)
    : QLineEdit(parent), FLabel(new QLabel(caption, parent)) {
    FLabel->setTextFormat(Qt::PlainText);
    FLabel->setBuddy(this);
    PlaceLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
    const QSize size = FLabel->sizeHint();
    FLabel->setGeometry(x(), y() - LabelSpacing - size.height(), size.width(), size.height());
}

}  // namespace veskin
