#pragma once
// What the window does differently on each system (posix/SystemChoices.cpp,
// win/SystemChoices.cpp).
#include <QSettings>
#include <memory>
#include <string>

namespace veskin {

// The settings store for a registry key: on Windows the key itself under
// HKEY_LOCAL_MACHINE; elsewhere one store per application in the user's configuration
// folder, whatever the key.
std::unique_ptr<QSettings> OpenSettingsKey(const std::string& key);

// Whether the save dialog is the system's own; otherwise Qt's widget dialog, whose
// listing the icon provider controls.
bool UseSystemFileDialog();

}  // namespace veskin
