#pragma once
// An edit box with its caption label above it; the label follows the edit box
// whenever it moves or changes size.
#include <QLabel>
#include <QLineEdit>

namespace veskin {

class TLabeledEdit : public QLineEdit {
public:
    // Gap between the label's bottom and the edit box's top.
    static constexpr int LabelSpacing = 3;

    TLabeledEdit(const QString& caption, QWidget* parent);
    QLabel* EditLabel() const { return FLabel; }

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceLabel();
    QLabel* FLabel;
};

}  // namespace veskin
