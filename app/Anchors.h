#pragma once
// Anchoring: each registered control keeps its design distance to the parent edges it
// is anchored to when the parent is resized. A control anchored to both opposite edges
// stretches; one anchored to neither keeps its design centre in proportion.
#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace veskin {

enum TAnchorKind : unsigned { akLeft = 1,
                              akTop = 2,
                              akRight = 4,
                              akBottom = 8 };
using TAnchors = unsigned;
inline constexpr TAnchors akDefault = akLeft | akTop;

// Lays out one parent's anchored children whenever the parent is resized.
class TAnchorLayout : public QObject {
public:
    // designSize: the parent's client size the design positions refer to.
    TAnchorLayout(QWidget* parent, QSize designSize);

    // Places control at design (parent coordinates at design size) and keeps it anchored.
    void Add(QWidget* control, QRect design, TAnchors anchors = akDefault);

    // Places every registered control for the parent's current size.
    void Apply();

    // Where a control with the given design rectangle and anchors goes in a parent of
    // the given size.
    static QRect Place(QRect design, TAnchors anchors, QSize designSize, QSize size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QWidget* Control;
        QRect Design;
        TAnchors Anchors;
    };
    QWidget* FParent;
    QSize FDesignSize;
    std::vector<Item> FItems;
};

}  // namespace veskin
