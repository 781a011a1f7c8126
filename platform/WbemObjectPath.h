#pragma once
// Object paths: "\\SERVER\root\cimv2:Class.Key=\"value\",Other=5", "Class=@" for a
// class without keys, "Class" for the class itself. The path object, the building of
// relative paths from key values, and the parsing of path text.
#include <functional>
#include <utility>
#include <vector>

#include "platform/WbemClass.h"
#include "platform/WbemScripting.h"

namespace veskin {

class WbemObjectPath : public ISWbemObjectPath {
public:
    WbemObjectPath(WideString server, WideString nameSpace, WideString className,
                   WideString relPath);
    // "\\server\namespace:relpath"; the relative path alone when there is no server;
    // empty when the object has no path.
    HRESULT get_Path(WideString& path) override;
    HRESULT get_RelPath(WideString& relPath) override;
    HRESULT get_Class(WideString& className) override;
    HRESULT get_Namespace(WideString& nameSpace) override;
    HRESULT get_Server(WideString& server) override;

private:
    WideString FServer, FNameSpace, FClass, FRelPath;
};

// The text of one key value inside a path: text types quoted with \ and " escaped,
// numbers as decimal digits, booleans TRUE/FALSE. Empty for null.
WideString KeyValueText(const Variant& value, std::int32_t cimType);
// The relative path of an instance, values read through valueAt; empty when a key is null.
WideString BuildRelPath(const WbemClass& cls, const std::function<Variant(std::size_t)>& valueAt);

struct ParsedObjectPath {
    WideString Server;     // empty when the path has none
    WideString NameSpace;  // empty when the path has none
    WideString ClassName;
    bool IsClass = false;    // no key part: the class itself
    bool Singleton = false;  // "Class=@"
    // Key names and their values as text (quotes removed, escapes resolved). The name
    // is empty for the short form "Class=\"value\"".
    std::vector<std::pair<WideString, WideString>> Keys;
};

// S_OK, or WBEM_E_INVALID_OBJECT_PATH for text that is no object path.
HRESULT ParseObjectPath(const WideString& text, ParsedObjectPath& path);

// The value's text as a key comparison sees it (unquoted form of KeyValueText).
WideString KeyCompareText(const Variant& value, std::int32_t cimType);

}  // namespace veskin
