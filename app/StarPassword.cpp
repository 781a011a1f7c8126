#include "app/StarPassword.h"

#include <QProxyStyle>

namespace veskin {

namespace {

// The application's style, but "*" as the password character.
class TStarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void ShowPasswordAsStars(QLineEdit* edit) {
    // A widget does not own its style; as a child the style goes with the edit box.
    auto* style = new TStarPasswordStyle;
    style->setParent(edit);
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

}  // namespace veskin
