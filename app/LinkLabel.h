#pragma once
// A label that reports the pointer entering and leaving it and a click on it.
#include <QLabel>
#include <functional>

namespace veskin {

class TLinkLabel : public QLabel {
public:
    TLinkLabel(const QString& text, QWidget* parent);

    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;
    std::function<void()> OnClick;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace veskin
