#include "app/SettingsStore.h"

#include <limits>

#include "app/SystemChoices.h"

namespace veskin {

namespace {

std::string Quoted(const char* format, const std::string& name) {
    std::string text = format;
    text.replace(text.find("%s"), 2, name);
    return text;
}

const char* const SRegSetDataFailed = "Failed to set data for '%s'";
const char* const SRegGetDataFailed = "Failed to get data for '%s'";
const char* const SInvalidRegType = "Invalid data type for '%s'";

QString Name(const std::string& name) { return QString::fromStdString(name); }

}  // namespace

TSettingsStore::TSettingsStore() = default;
TSettingsStore::~TSettingsStore() = default;

bool TSettingsStore::OpenKey(const std::string& key, bool canCreate) {
    (void)canCreate;  // QSettings creates its file or key on the first write.
    FSettings = OpenSettingsKey(key);
    FFirstWritten.clear();
    FOpen = FSettings->status() == QSettings::NoError;
    return FOpen;
}

void TSettingsStore::CloseKey() {
    if (!FSettings)
        return;
    FSettings->sync();
    const bool failed = FSettings->status() != QSettings::NoError && !FFirstWritten.empty();
    const std::string first = FFirstWritten;
    FSettings.reset();
    FOpen = false;
    FFirstWritten.clear();
    if (failed)
        throw ERegistryException(Quoted(SRegSetDataFailed, first));
}

bool TSettingsStore::ValueExists(const std::string& name) const {
    return FOpen && FSettings->contains(Name(name));
}

int TSettingsStore::ReadInteger(const std::string& name) const {
    if (!FOpen)
        throw ERegistryException(Quoted(SRegGetDataFailed, name));
    const QVariant value = FSettings->value(Name(name));
    const int type = value.typeId();
    if (type == QMetaType::Int || type == QMetaType::UInt)
        return static_cast<int>(value.toLongLong());
    if (type != QMetaType::QString)
        throw ERegistryException(Quoted(SInvalidRegType, name));
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw ERegistryException(Quoted(SInvalidRegType, name));
    if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
        throw ERegistryException(Quoted(SRegGetDataFailed, name));
    return static_cast<int>(number);
}

std::string TSettingsStore::ReadString(const std::string& name) const {
    if (!FOpen)
        throw ERegistryException(Quoted(SRegGetDataFailed, name));
    const QVariant value = FSettings->value(Name(name));
    if (value.typeId() != QMetaType::QString)
        throw ERegistryException(Quoted(SInvalidRegType, name));
    std::string text = value.toString().toStdString();
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

void TSettingsStore::CheckWritable(const std::string& name) {
    if (!FSettings || !FSettings->isWritable())
        throw ERegistryException(Quoted(SRegSetDataFailed, name));
    if (FFirstWritten.empty())
        FFirstWritten = name;
}

void TSettingsStore::WriteInteger(const std::string& name, int value) {
    CheckWritable(name);
    FSettings->setValue(Name(name), value);
}

void TSettingsStore::WriteString(const std::string& name, const std::string& value) {
    CheckWritable(name);
    FSettings->setValue(Name(name), QString::fromStdString(value));
}

}  // namespace veskin
