#pragma once
// What the tests of the native service share: the fixture trees, a connection to a
// service over one, running a query to the end, and values as comparable text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/WbemObject.h"
#include "platform/native/NativeService.h"
#include "tests/support/QueryObjects.h"

namespace veskin {

inline std::string FixtureRoot(const char* name) {
    const char* src = std::getenv("VESKIN_SOURCE_DIR");
    namespace fs = std::filesystem;
    fs::path base = src ? fs::path(src) / "tests" / "platform" : fs::path(__FILE__).parent_path();
    return (base / "fixtures" / name).string();
}

struct Service {
    std::shared_ptr<const NativeContext> Context;
    ISWbemServicesPtr Services;
};

inline Service Connect(std::shared_ptr<const NativeContext> context) {
    Service s;
    s.Context = std::move(context);
    auto locator = MakeNativeLocator(s.Context, MakeNativeRepository(s.Context));
    EXPECT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, s.Services), S_OK);
    return s;
}

inline Service Connect(const std::string& root) { return Connect(std::make_shared<const NativeContext>(root)); }

inline HRESULT Query(const ISWbemServicesPtr& services, const char* wql, std::vector<WbemObjectPtr>& out,
                     std::int32_t flags = wbemFlagReturnImmediately | wbemFlagForwardOnly) {
    std::vector<ISWbemObjectPtr> objects;
    const HRESULT hr = QueryObjects(services, W(wql), objects, flags);
    out.clear();
    for (const ISWbemObjectPtr& object : objects) out.push_back(std::dynamic_pointer_cast<WbemObject>(object));
    return hr;
}

inline std::vector<WbemObjectPtr> All(const ISWbemServicesPtr& services, const char* wql) {
    std::vector<WbemObjectPtr> out;
    EXPECT_EQ(Query(services, wql, out), S_OK) << wql;
    return out;
}

// A value as test text: strings as they are, numbers in decimal, "<null>" for null.
inline std::string Val(const WbemObjectPtr& obj, const char* name) {
    Variant v = obj->GetValue(W(name));
    switch (v.VarType()) {
        case varNull: return "<null>";
        case varOleStr: return WideToAnsi(v.RawOleStr());
        case varBoolean: return v.RawBool() ? "TRUE" : "FALSE";
        case varSmallint:
        case varInteger:
        case varByte: return std::to_string(v.RawInt());
        default: return "<type " + std::to_string(v.VarType()) + ">";
    }
}

// An array value as "a,b,c" (elements as Val gives them), "<null>" for null.
inline std::string Items(const WbemObjectPtr& obj, const char* name) {
    Variant v = obj->GetValue(W(name));
    if (v.IsNull()) return "<null>";
    if (!v.IsArray()) return "<no array>";
    std::string out;
    for (int i = v.ArrayLowBound(); i <= v.ArrayHighBound(); ++i) {
        const Variant& e = v.GetElement(i);
        if (!out.empty()) out += ",";
        out += e.VarType() == varOleStr ? WideToAnsi(e.RawOleStr()) : e.IsNull() ? "<null>"
                                                                                 : std::to_string(e.RawInt());
    }
    return out;
}

}  // namespace veskin
