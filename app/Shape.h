#pragma once
// A rectangle: a one-pixel outline in the window-text colour filled with the
// button-face colour.
#include <QWidget>

namespace veskin {

class TShape : public QWidget {
public:
    explicit TShape(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace veskin
