#include "app/SystemChoices.h"

#include "app/SettingsStore.h"

namespace veskin {

std::unique_ptr<QSettings> OpenSettingsKey(const std::string&) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, SettingsOrganisation,
                                       SettingsApplication);
}

bool UseSystemFileDialog() { return false; }

}  // namespace veskin
