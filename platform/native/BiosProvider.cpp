#include "platform/native/BiosProvider.h"

#include "platform/native/ClassSchema.h"
#include "platform/native/DmiInfo.h"
#include "platform/native/NativeValues.h"

namespace veskin {

WbemClassPtr BiosClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_BIOS");
    return cls;
}

WbemObjectProducer EnumerateBios(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    if (!DmiPresent(files)) return ProduceList({});
    const WbemClassPtr& cls = BiosClass();
    ValueRow row(cls);
    const auto vendor = DmiField(files, "bios_vendor");
    const auto version = DmiField(files, "bios_version");
    // Windows names the firmware by its version text; the keys must not be null.
    const std::string name = version.value_or("Default System BIOS");
    if (version) row.Set("BIOSVersion", Variant::ArrayOf({Variant(AnsiToWide(*version))}));
    row.Set("Caption", StrValue(name));
    row.Set("Description", StrValue(name));
    row.Set("Manufacturer", StrValue(vendor));
    row.Set("Name", StrValue(name));
    row.Set("PrimaryBIOS", BoolValue(true));
    if (auto date = DmiField(files, "bios_date")) row.Set("ReleaseDate", StrValue(DmiDateToDmtf(*date)));
    // SMBIOS gives the system's serial number; Windows shows it here too.
    row.Set("SerialNumber", StrValue(DmiField(files, "product_serial")));
    row.Set("SMBIOSBIOSVersion", StrValue(version));
    row.Set("SMBIOSPresent", BoolValue(true));
    if (auto entry = files.Read("sys/firmware/dmi/tables/smbios_entry_point", 64))
        if (auto smbios = SmbiosVersionOf(*entry)) {
            row.Set("SMBIOSMajorVersion", U16Value(smbios->Major));
            row.Set("SMBIOSMinorVersion", U16Value(smbios->Minor));
        }
    if (auto release = ParseDottedVersion(DmiField(files, "bios_release").value_or(""))) {
        row.Set("SystemBiosMajorVersion", U8Value(release->Major));
        row.Set("SystemBiosMinorVersion", U8Value(release->Minor));
    }
    if (auto ec = ParseDottedVersion(DmiField(files, "ec_firmware_release").value_or(""))) {
        row.Set("EmbeddedControllerMajorVersion", U8Value(ec->Major));
        row.Set("EmbeddedControllerMinorVersion", U8Value(ec->Minor));
    }
    row.Set("SoftwareElementID", StrValue(name));
    row.Set("SoftwareElementState", U16Value(3));   // running
    row.Set("TargetOperatingSystem", U16Value(0));  // unknown, as Windows reports it
    row.Set("Status", StrValue("OK"));
    row.Set("Version", StrValue(vendor ? *vendor + " - " + name : name));
    return ProduceList({MakeNativeInstance(cls, std::move(row))});
}

}  // namespace veskin
