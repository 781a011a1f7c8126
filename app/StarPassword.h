#pragma once
// A password edit box that shows every character as "*" whatever the style would draw.
#include <QLineEdit>

namespace veskin {

// Puts edit into password mode with "*" as the mask character.
void ShowPasswordAsStars(QLineEdit* edit);

}  // namespace veskin
