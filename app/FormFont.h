#pragma once
// The window's font: "Tahoma" 8 points at 96 dpi (11 pixels) where the system has
// it, otherwise the closest sans-serif face at the same size.
#include <QFont>

namespace veskin {

QFont FormFont();

}  // namespace veskin
