#pragma once
// Shared set-up of the window tests: one QApplication for the process, settings kept
// in a temporary folder, and hooks that record error boxes, save dialogs and opened
// addresses instead of showing anything.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/ApplicationErrors.h"
#include "app/OpenUrl.h"
#include "app/SaveDialog.h"
#include "app/SettingsStore.h"

namespace veskin::testing {

struct Recorded {
    std::vector<std::string> ErrorBoxes;  // "title|message"
    std::vector<std::string> OpenedUrls;
    // Answers of the save dialog: the name to choose, empty to cancel.
    std::string SaveAnswer;
    int SaveDialogs = 0;
    std::string SaveDialogStartName;

    void Clear() { *this = Recorded(); }
};

inline Recorded& Record() {
    static Recorded record;
    return record;
}

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QTemporaryDir settingsDir;
    static QApplication* app = [] {
        ::setenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit().constData(), 1);
        auto* created = new QApplication(argc, argv);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        SetErrorBoxHook([](const std::string& title, const std::string& message) {
            Record().ErrorBoxes.push_back(title + "|" + message);
        });
        SetOpenUrlHook([](const std::string& url) { Record().OpenedUrls.push_back(url); });
        SetSaveDialogHook([](TSaveDialog& dialog) {
            ++Record().SaveDialogs;
            Record().SaveDialogStartName = dialog.FileName;
            if (Record().SaveAnswer.empty())
                return false;
            dialog.FileName = Record().SaveAnswer;
            return true;
        });
        return created;
    }();
    return *app;
}

// The settings the window reads and writes, opened directly.
inline std::unique_ptr<QSettings> StoredSettings() {
    App();
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, SettingsOrganisation,
                                       SettingsApplication);
}

// A member declared before any widget member makes sure the application exists.
struct AppGuard {
    AppGuard() { App(); }
};

// Empties the stored settings and the recorded events.
inline void ResetState() {
    App();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, SettingsOrganisation, SettingsApplication);
    settings.clear();
    settings.sync();
    Record().Clear();
}

}  // namespace veskin::testing
