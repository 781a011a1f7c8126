#include "app/FormFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace veskin {

QFont FormFont() {
    // 8 points at 96 dpi; given in pixels so that text matches the pixel positions of
    // the controls whatever the screen's resolution.
    constexpr int PixelSize = 11;
    const QStringList families = QFontDatabase::families();
    QFont font;
    for (const char* name : {"Tahoma", "DejaVu Sans", "Liberation Sans", "Arial"}) {
        if (families.contains(QString::fromLatin1(name), Qt::CaseInsensitive)) {
            font = QFont(QString::fromLatin1(name));
            break;
        }
    }
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PixelSize);
    return font;
}

}  // namespace veskin
