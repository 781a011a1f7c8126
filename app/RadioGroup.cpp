#include "app/RadioGroup.h"

#include <algorithm>

#include <QButtonGroup>
#include <QFontMetrics>
#include <QRadioButton>

namespace veskin {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), FGroup(new QButtonGroup(this)) {
    FGroup->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("QueryItem%1").arg(i));
        FGroup->addButton(button, i);
        FButtons.push_back(button);
    }
    connect(FGroup, &QButtonGroup::idClicked, this, &TRadioGroup::ButtonClicked);
    ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int value) {
    value = std::max(-1, std::min(value, ItemCount() - 1));
    if (value == FItemIndex)
        return;
    FItemIndex = value;
    if (value < 0) {
        // An exclusive group cannot uncheck its checked button.
        FGroup->setExclusive(false);
        for (QRadioButton* button : FButtons)
            button->setChecked(false);
        FGroup->setExclusive(true);
    } else {
        FButtons[static_cast<std::size_t>(value)]->setChecked(true);
    }
    if (OnClick)
        OnClick();
}

void TRadioGroup::ButtonClicked(int index) {
    if (index == FItemIndex)
        return;
    FItemIndex = index;
    if (OnClick)
        OnClick();
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (FButtons.empty())
        return;
    // The items share the height below the caption evenly, as a one-column group does.
    const int top = QFontMetrics(font()).height() + 2;
    const int count = ItemCount();
    const int available = std::max(0, height() - top - 4);
    const int itemHeight = available / count;
    for (int i = 0; i < count; ++i)
        FButtons[static_cast<std::size_t>(i)]->setGeometry(8, top + i * itemHeight, std::max(0, width() - 16),
                                                           itemHeight);
}

}  // namespace veskin
