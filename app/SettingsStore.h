#pragma once
// The window's saved entries, kept with QSettings: on Linux in the user's
// configuration folder (organisation "Halvord", application "Veskin"), on Windows in
// the registry key HKEY_LOCAL_MACHINE\Software\Halvord\Veskin. Reads and writes raise
// ERegistryException naming the value.
#include <QSettings>
#include <memory>
#include <string>

#include "rtl/Exception.h"

namespace veskin {

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

inline constexpr const char* SettingsOrganisation = "Halvord";
inline constexpr const char* SettingsApplication = "Veskin";
inline constexpr const char* SettingsKey = "\\Software\\Halvord\\Veskin";

class TSettingsStore {
public:
    TSettingsStore();
    ~TSettingsStore();

    // Opens key (from the root; the store's own key is SettingsKey), replacing a key
    // that is still open. Answers whether the key can be used.
    bool OpenKey(const std::string& key, bool canCreate);
    // Writes out what was written since the key was opened; a failure raises
    // "Failed to set data for '<first value written>'".
    void CloseKey();

    bool ValueExists(const std::string& name) const;
    // A whole number that fits 32 bits; other data raise "Invalid data type for '%s'",
    // a number too large "Failed to get data for '%s'".
    int ReadInteger(const std::string& name) const;
    // Text up to its first zero character; data that is no text raises
    // "Invalid data type for '%s'".
    std::string ReadString(const std::string& name) const;
    void WriteInteger(const std::string& name, int value);
    void WriteString(const std::string& name, const std::string& value);

private:
    void CheckWritable(const std::string& name);

    std::unique_ptr<QSettings> FSettings;
    bool FOpen = false;
    std::string FFirstWritten;
};

}  // namespace veskin
