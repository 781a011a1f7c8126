#include "app/SystemChoices.h"

namespace veskin {

std::unique_ptr<QSettings> OpenSettingsKey(const std::string& key) {
    QString path = QStringLiteral("HKEY_LOCAL_MACHINE") + QString::fromStdString(key);
    return std::make_unique<QSettings>(path, QSettings::NativeFormat);
}

bool UseSystemFileDialog() { return true; }

}  // namespace veskin
