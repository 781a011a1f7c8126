#pragma once
// Shared pieces of the codec tests: fixture files, a schema source that counts its
// calls, and value comparison that follows embedded objects.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/WbemObject.h"
#include "platform/wsman/WsmanDecoder.h"

namespace veskin::testing {

inline std::string Fixture(const std::string& name) {
    std::filesystem::path dir = std::filesystem::path(__FILE__).parent_path();
    if (const char* src = std::getenv("VESKIN_SOURCE_DIR")) dir = std::filesystem::path(src) / "tests/wsman";
    std::ifstream in(dir / "fixtures" / name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << name;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CountingSchemas : public WsmanSchemaSource {
public:
    std::map<std::string, WbemClassPtr> Classes;
    std::map<std::string, int> Calls;

    WbemClassPtr ClassSchema(const std::string& className) override {
        ++Calls[className];
        auto it = Classes.find(className);
        return it == Classes.end() ? nullptr : it->second;
    }
};

inline WsmanDecodeContext Context(WsmanSchemaSource* schemas) {
    WsmanDecodeContext c;
    c.Server = "SERVER1";
    c.NameSpace = u"root\\cimv2";
    c.Schemas = schemas;
    return c;
}

inline std::string Text(const Variant& v) { return WideToAnsi(VarToWideStr(v)); }

inline std::string Value(const WbemObjectPtr& o, const char* name) {
    return Text(o->GetValue(W(name)));
}

// Same kind and same value; arrays element by element, embedded objects property by
// property.
inline ::testing::AssertionResult SameValue(const Variant& a, const Variant& b) {
    if (a.VarType() != b.VarType())
        return ::testing::AssertionFailure() << "types " << a.VarType() << " and " << b.VarType();
    if (a.IsArray()) {
        const auto& x = a.ArrayData().Elements;
        const auto& y = b.ArrayData().Elements;
        if (x.size() != y.size()) return ::testing::AssertionFailure() << "array sizes differ";
        for (std::size_t i = 0; i < x.size(); ++i)
            if (auto r = SameValue(x[i], y[i]); !r) return r << " at element " << i;
        return ::testing::AssertionSuccess();
    }
    if (a.VarType() == varDispatch) {
        auto p = std::dynamic_pointer_cast<WbemObject>(a.RawInterface());
        auto q = std::dynamic_pointer_cast<WbemObject>(b.RawInterface());
        if (!p || !q) return ::testing::AssertionFailure() << "no embedded object";
        if (p->Class()->PropertyCount() != q->Class()->PropertyCount())
            return ::testing::AssertionFailure() << "embedded property counts differ";
        for (std::size_t i = 0; i < p->Class()->PropertyCount(); ++i)
            if (auto r = SameValue(p->GetValue(i), q->GetValue(i)); !r) return r << " in embedded object";
        return ::testing::AssertionSuccess();
    }
    if (a.IsNull()) return ::testing::AssertionSuccess();
    if (Text(a) != Text(b)) return ::testing::AssertionFailure() << Text(a) << " != " << Text(b);
    return ::testing::AssertionSuccess();
}

}  // namespace veskin::testing
