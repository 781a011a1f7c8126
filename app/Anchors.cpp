#include "app/Anchors.h"

#include <algorithm>

#include <QEvent>
#include <QWidget>

namespace veskin {

namespace {

// One axis: start and length of the control for the parent's new extent.
void PlaceAxis(int designStart, int designLength, int designExtent, int extent, bool nearEdge,
               bool farEdge, int& start, int& length) {
    const int farGap = designExtent - (designStart + designLength);
    if (nearEdge && farEdge) {
        start = designStart;
        length = std::max(0, extent - farGap - designStart);
    } else if (farEdge) {
        length = designLength;
        start = extent - farGap - designLength;
    } else if (nearEdge) {
        start = designStart;
        length = designLength;
    } else {
        // Neither edge: the centre keeps its proportional place.
        length = designLength;
        const double centre = designStart + designLength / 2.0;
        const double scaled = designExtent > 0 ? centre * extent / designExtent : centre;
        start = static_cast<int>(scaled - designLength / 2.0 + 0.5);
    }
}

}  // namespace

TAnchorLayout::TAnchorLayout(QWidget* parent, QSize designSize)
    : QObject(parent), FParent(parent), FDesignSize(designSize) {
    parent->installEventFilter(this);
}

void TAnchorLayout::Add(QWidget* control, QRect design, TAnchors anchors) {
    FItems.push_back({control, design, anchors});
    control->setGeometry(Place(design, anchors, FDesignSize, FParent->size()));
}

QRect TAnchorLayout::Place(QRect design, TAnchors anchors, QSize designSize, QSize size) {
    int x = 0, w = 0, y = 0, h = 0;
    PlaceAxis(design.x(), design.width(), designSize.width(), size.width(), anchors & akLeft,
              anchors & akRight, x, w);
    PlaceAxis(design.y(), design.height(), designSize.height(), size.height(), anchors & akTop,
              anchors & akBottom, y, h);
    return QRect(x, y, w, h);
}

void TAnchorLayout::Apply() {
    const QSize size = FParent->size();
    for (const Item& item : FItems)
        item.Control->setGeometry(Place(item.Design, item.Anchors, FDesignSize, size));
}

bool TAnchorLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FParent && event->type() == QEvent::Resize)
        Apply();
    return QObject::eventFilter(watched, event);
}

}  // namespace veskin
