#include "platform/native/BaseBoardProvider.h"

#include "platform/native/ClassSchema.h"
#include "platform/native/DmiInfo.h"
#include "platform/native/NativeValues.h"

namespace veskin {

WbemClassPtr BaseBoardClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_BaseBoard");
    return cls;
}

WbemObjectProducer EnumerateBaseBoard(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    if (!DmiPresent(files)) return ProduceList({});
    const WbemClassPtr& cls = BaseBoardClass();
    ValueRow row(cls);
    row.Set("Caption", StrValue("Base Board"));
    row.Set("CreationClassName", StrValue("Win32_BaseBoard"));
    row.Set("Description", StrValue("Base Board"));
    row.Set("HostingBoard", BoolValue(true));
    row.Set("Manufacturer", StrValue(DmiField(files, "board_vendor")));
    row.Set("Name", StrValue("Base Board"));
    row.Set("PoweredOn", BoolValue(true));
    row.Set("Product", StrValue(DmiField(files, "board_name")));
    row.Set("SerialNumber", StrValue(DmiField(files, "board_serial")));
    row.Set("Status", StrValue("OK"));
    row.Set("Tag", StrValue("Base Board"));
    row.Set("Version", StrValue(DmiField(files, "board_version")));
    return ProduceList({MakeNativeInstance(cls, std::move(row))});
}

}  // namespace veskin
