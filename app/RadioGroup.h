#pragma once
// A captioned group of radio buttons in one column with an item index: -1 (none) or
// the index of the checked item. OnClick fires whenever the index changes, whether the
// user clicked an item or the program set a different index.
#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace veskin {

class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);

    int ItemIndex() const { return FItemIndex; }
    // Limited to -1 .. item count - 1.
    void SetItemIndex(int value);
    int ItemCount() const { return static_cast<int>(FButtons.size()); }
    QRadioButton* Button(int index) const { return FButtons.at(static_cast<std::size_t>(index)); }

    std::function<void()> OnClick;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ArrangeButtons();
    void ButtonClicked(int index);

    std::vector<QRadioButton*> FButtons;
    QButtonGroup* FGroup;
    int FItemIndex = -1;
};

}  // namespace veskin
