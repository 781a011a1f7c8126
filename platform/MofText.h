#pragma once
// The MOF text of an object, as GetObjectText_ gives it:
//   instance of Win32_Process
//   {
//   <tab>Name = "bash";
//   <tab>Tags = {"a", "b"};
//   };
// Null values are left out. A class object gives "class Name\n{\n\t[key] string Name;\n...};".
#include "rtl/WideString.h"

namespace veskin {

class WbemObject;

WideString MofText(const WbemObject& object);

}  // namespace veskin
