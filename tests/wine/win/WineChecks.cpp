// Checks of the Windows adapter that need the system's COM and OLE Automation: built
// only by the Windows build and run under Wine by tests/wine. Prints each failed check
// and closes with "N passed, N failed"; the exit code is 1 when any check failed.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ComObjects.h"
#include "platform/SystemMessages.h"
#include "platform/WbemNamedValueSet.h"
#include "platform/win/OleVariant.h"
#include "platform/win/WinComObject.h"
#include "platform/win/WinNamedValueSet.h"
#include "rtl/SysUtils.h"
#include "wmi/InitComSecurity.h"
#include "wmi/WmiUtil.h"

#include "rtl/win/posix/langinfo.h"

namespace veskin {
namespace {

int gPassed = 0, gFailed = 0, gMissing = 0;

void Check(bool ok, const std::string& what) {
    if (ok) {
        ++gPassed;
    } else {
        ++gFailed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

// False, and noted, when the system does not implement the call (Wine leaves parts of
// the scripting library out); any other failure is a failed check.
bool Available(HRESULT hr, const std::string& what) {
    if (hr == E_NOTIMPL) {
        ++gMissing;
        std::printf("NOT IMPLEMENTED BY THE SYSTEM: %s\n", what.c_str());
        return false;
    }
    Check(SUCCEEDED(hr), what + " succeeds");
    return SUCCEEDED(hr);
}

// Our value to VARIANT and back.
Variant RoundTrip(const Variant& value, HRESULT& hr, VARTYPE& vt) {
    TOleVariant ole;
    Variant back;
    hr = VariantToOle(value, *ole.Get());
    vt = V_VT(ole.Get());
    if (SUCCEEDED(hr)) hr = OleToVariant(ole.Value(), back);
    return back;
}

void ScalarRoundTrips() {
    struct Case {
        const char* Name;
        Variant Value;
        VARTYPE Vt;
    };
    const Case cases[] = {
        {"empty", Variant(), VT_EMPTY},
        {"null", Variant::Null(), VT_NULL},
        {"int8", Variant::FromShortInt(-5), VT_I1},
        {"uint8", Variant::FromByte(250), VT_UI1},
        {"int16", Variant::FromSmallint(-30000), VT_I2},
        {"uint16", Variant::FromWord(65000), VT_UI2},
        {"int32", Variant::FromInteger(-2000000000), VT_I4},
        {"uint32", Variant::FromLongWord(4000000000u), VT_UI4},
        {"int64", Variant::FromInt64(-9000000000000000000LL), VT_I8},
        {"uint64", Variant::FromUInt64(18000000000000000000ULL), VT_UI8},
        {"single", Variant::FromSingle(1.5f), VT_R4},
        {"double", Variant::FromDouble(-2.25), VT_R8},
        {"currency", Variant::FromCurrency(123456), VT_CY},
        {"date", Variant::FromDate(39449.5), VT_DATE},
        {"boolean", Variant::FromBoolean(true), VT_BOOL},
        {"error", Variant::FromError(static_cast<std::int32_t>(0x80041017u)), VT_ERROR},
        {"UTF-16 text", Variant::FromOleStr(u"Gr\u00FC\u00DFe \U0001F600"), VT_BSTR},
    };
    for (const Case& c : cases) {
        HRESULT hr = E_FAIL;
        VARTYPE vt = VT_ILLEGAL;
        const Variant back = RoundTrip(c.Value, hr, vt);
        Check(SUCCEEDED(hr), std::string(c.Name) + ": conversion succeeds");
        Check(vt == c.Vt, std::string(c.Name) + ": VARIANT type " + std::to_string(vt));
        Check(back.VarType() == c.Value.VarType(), std::string(c.Name) + ": type comes back");
        if (back.VarType() != c.Value.VarType()) continue;
        switch (c.Value.VarType()) {
            case varEmpty:
            case varNull: break;
            case varUInt64: Check(back.RawUInt64() == c.Value.RawUInt64(), c.Name); break;
            case varSingle:
            case varDouble:
            case varDate: Check(back.RawDouble() == c.Value.RawDouble(), c.Name); break;
            case varBoolean: Check(back.RawBool() == c.Value.RawBool(), c.Name); break;
            case varOleStr: Check(back.RawOleStr() == c.Value.RawOleStr(), c.Name); break;
            default: Check(back.RawInt() == c.Value.RawInt(), c.Name); break;
        }
    }
    // 8-bit text reaches COM as UTF-16 text.
    HRESULT hr = E_FAIL;
    VARTYPE vt = VT_ILLEGAL;
    const Variant back = RoundTrip(Variant::FromString("\xC3\xA4x"), hr, vt);
    Check(vt == VT_BSTR && back.VarType() == varOleStr && back.RawOleStr() == u"\u00E4x", "8-bit text as BSTR");
    // A reference is followed.
    Variant target = Variant::FromInteger(7);
    const Variant viaRef = RoundTrip(Variant::ByRef(&target), hr, vt);
    Check(vt == VT_I4 && viaRef.VarType() == varInteger && viaRef.RawInt() == 7, "by-reference value");
}

void ArrayConversions() {
    // A typed SAFEARRAY with lower bound 1, as COM hands out.
    SAFEARRAY* sa = ::SafeArrayCreateVector(VT_I4, 1, 3);
    for (LONG i = 1; i <= 3; ++i) {
        LONG v = i * 10;
        ::SafeArrayPutElement(sa, &i, &v);
    }
    TOleVariant ole;
    V_VT(ole.Get()) = VT_ARRAY | VT_I4;
    V_ARRAY(ole.Get()) = sa;
    Variant value;
    Check(SUCCEEDED(OleToVariant(ole.Value(), value)), "int array converts");
    Check(value.IsArray() && value.ArrayLowBound() == 1 && value.ArrayHighBound() == 3, "int array bounds 1..3");
    Check(value.IsArray() && value.GetElement(2).VarType() == varInteger && value.GetElement(2).RawInt() == 20,
          "int array element 2");
    Check(WideToAnsi(VarToWideStr(value.GetElement(3))) == "30", "int array element 3");

    // Text and nested arrays go to COM and come back whole.
    Variant nested = Variant::ArrayOf({Variant::FromOleStr(u"a"), Variant::ArrayOf({Variant::FromInteger(1)})});
    HRESULT hr = E_FAIL;
    VARTYPE vt = VT_ILLEGAL;
    const Variant back = RoundTrip(nested, hr, vt);
    Check(SUCCEEDED(hr) && vt == (VT_ARRAY | VT_VARIANT), "variant array goes as VT_ARRAY|VT_VARIANT");
    Check(back.IsArray() && back.ArrayCount() == 2 && back.GetElement(0).RawOleStr() == u"a" &&
              back.GetElement(1).IsArray() && back.GetElement(1).GetElement(0).RawInt() == 1,
          "nested array comes back");

    Variant texts = Variant::ArrayCreate(0, 1, varOleStr);
    texts.PutElement(0, Variant::FromOleStr(u"x"));
    texts.PutElement(1, Variant::FromString("y"));
    const Variant backTexts = RoundTrip(texts, hr, vt);
    Check(SUCCEEDED(hr) && vt == (VT_ARRAY | VT_BSTR), "text array goes as VT_ARRAY|VT_BSTR");
    Check(backTexts.IsArray() && backTexts.ArrayCount() == 2 && backTexts.GetElement(1).RawOleStr() == u"y",
          "text array comes back");

    // Two dimensions: our Variant has none, so the conversion refuses.
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    TOleVariant twoD;
    V_VT(twoD.Get()) = VT_ARRAY | VT_I4;
    V_ARRAY(twoD.Get()) = ::SafeArrayCreate(VT_I4, 2, bounds);
    Variant ignored;
    Check(OleToVariant(twoD.Value(), ignored) == DISP_E_BADVARTYPE, "two-dimensional array is refused");

    // A decimal becomes the nearest double.
    TOleVariant dec;
    V_VT(dec.Get()) = VT_R8;
    V_R8(dec.Get()) = 12.5;
    ::VariantChangeType(dec.Get(), dec.Get(), 0, VT_DECIMAL);
    Variant fromDecimal;
    Check(SUCCEEDED(OleToVariant(dec.Value(), fromDecimal)) && fromDecimal.VarType() == varDouble &&
              fromDecimal.RawDouble() == 12.5,
          "decimal as double");
}

void ObjectReferences() {
    // A named-value set of the system, created through the class registry.
    IInterfacePtr obj;
    HRESULT hr = CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, CLSCTX_INPROC_SERVER, IID_ISWbemNamedValueSet, obj);
    auto set = Supports<ISWbemNamedValueSet>(obj);
    Check(SUCCEEDED(hr) && set && std::dynamic_pointer_cast<TWinNamedValueSet>(set), "system named-value set");
    if (!set) return;
    ISWbemNamedValuePtr added;
    Check(SUCCEEDED(set->Add(u"Depth", Variant::FromInteger(3), 0, added)) && added, "Add");
    ISWbemNamedValuePtr item;
    Check(SUCCEEDED(set->Item(u"depth", 0, item)) && item, "Item finds the value without regard to case");
    Variant value;
    if (item && Available(item->get_Value(value), "named value's Value"))
        Check(value.VarType() == varInteger && value.RawInt() == 3, "named value's Value");

    // The enumerator's elements come wrapped as named values.
    IInterfacePtr enumObject;
    if (Available(set->get__NewEnum(enumObject), "named-value set _NewEnum")) {
        auto items = Supports<IEnumVARIANT>(enumObject);
        Variant element;
        std::uint32_t fetched = 0;
        Check(items && SUCCEEDED(items->Next(1, &element, &fetched)) && fetched == 1, "Next delivers one");
        auto named = element.VarType() == varDispatch ? Supports<ISWbemNamedValue>(element.RawInterface()) : nullptr;
        WideString name;
        Check(named && SUCCEEDED(named->get_Name(name)) && name == u"Depth", "element is the named value");
        Variant end;
        fetched = 7;
        Check(items && items->Next(1, &end, &fetched) == S_FALSE && fetched == 0, "end of the enumerator is S_FALSE");
    }

    // An adapter goes back to COM as the object it stands for.
    TOleVariant ole;
    Check(SUCCEEDED(VariantToOle(Variant::FromDispatch(set), *ole.Get())) && V_VT(ole.Get()) == VT_DISPATCH &&
              V_DISPATCH(ole.Get()) == UnwrapDispatch(set).Get(),
          "adapter as VT_DISPATCH");
    // An object that does not come from COM has nothing to hand over.
    TOleVariant foreign;
    Check(VariantToOle(Variant::FromDispatch(std::make_shared<WbemNamedValueSet>()), *foreign.Get()) ==
              DISP_E_TYPEMISMATCH,
          "foreign object is refused");

    // A set of our own kind is copied into a system set for a WMI call.
    auto own = std::make_shared<WbemNamedValueSet>();
    ISWbemNamedValuePtr ignored;
    own->Add(u"A", Variant::FromOleStr(u"one"), 0, ignored);
    own->Add(u"B", Variant::FromBoolean(true), 0, ignored);
    TComPtr<::IDispatch> copy;
    Check(SUCCEEDED(ComValueSet(own, copy)) && copy, "own set copied");
    TComPtr<::ISWbemNamedValueSet> copySet;
    Check(copy && SUCCEEDED(copy.As(copySet)), "copy is a system set");
    for (const wchar_t* name : {L"A", L"B"}) {
        TComPtr<::ISWbemNamedValue> found;
        BSTR bName = ::SysAllocString(name);
        Check(copySet && SUCCEEDED(copySet->Item(bName, 0, found.Out())) && found, "copy holds the value");
        ::SysFreeString(bName);
    }
}

void SystemTexts() {
    const std::string denied = SystemMessageText(5);
    Check(!denied.empty() && denied.size() >= 2 && denied.compare(denied.size() - 2, 2, "\r\n") == 0,
          "text of error 5 ends with CR LF: " + denied);
    Check(SystemMessageText(static_cast<std::int32_t>(0x80070005u)) == denied, "0x80070005 has the text of 5");
    Check(!SystemMessageText(static_cast<std::int32_t>(0x80004001u)).empty(), "E_NOTIMPL has a text");
}

void LocaleCalls() {
    locale_t c = newlocale(LC_TIME_MASK, "C", nullptr);
    Check(c && std::string(nl_langinfo_l(D_FMT, c)) == "%m/%d/%y" && std::string(nl_langinfo_l(DAY_1, c)) == "Sunday",
          "C locale");
    freelocale(c);
    locale_t us = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, "en_US.UTF-8", nullptr);
    Check(us != nullptr, "en_US is known");
    if (us) {
        Check(std::string(nl_langinfo_l(D_FMT, us)) == "%-m/%-d/%Y", std::string("en-US date: ") + nl_langinfo_l(D_FMT, us));
        Check(std::string(nl_langinfo_l(T_FMT, us)) == "%-I:%M:%S %p", std::string("en-US time: ") + nl_langinfo_l(T_FMT, us));
        Check(std::string(nl_langinfo_l(DAY_1, us)) == "Sunday" && std::string(nl_langinfo_l(ABMON_1 + 11, us)) == "Dec",
              "en-US names, days from Sunday");
        Check(std::string(nl_langinfo_l(RADIXCHAR, us)) == ".", "en-US decimal separator");
        Check(towupper_l(0xE4, us) == 0xC4 && towlower_l(L'A', us) == L'a', "case mapping");
        Check(wcscoll_l(L"apple", L"Banana", us) < 0 && wcscoll_l(L"b", L"b", us) == 0, "collation");
        freelocale(us);
    }
    Check(newlocale(LC_TIME_MASK, "xx_NOWHERE", nullptr) == nullptr, "unknown locale is null");
    Check(AnsiCompareText("\xC3\xA4pfel", "\xC3\x84PFEL") == 0, "AnsiCompareText folds non-ASCII case");
}

void TimeZone() {
    // The harness sets TZ for Wine and tells the expected standard offset.
    const char* expected = std::getenv("VESKIN_EXPECT_OFFSET");
    if (!expected) return;
    std::int32_t offset = 12345;
    Check(WmiLocalStandardOffset(offset) && offset == std::atoi(expected),
          "standard offset " + std::to_string(offset) + ", expected " + expected);
}

}  // namespace
}  // namespace veskin

int main() {
    using namespace veskin;
    InitComThread();
    ScalarRoundTrips();
    ArrayConversions();
    ObjectReferences();
    SystemTexts();
    LocaleCalls();
    TimeZone();
    std::printf("%d not implemented by the system\n", gMissing);
    std::printf("%d passed, %d failed\n", gPassed, gFailed);
    return gFailed == 0 ? 0 : 1;
}
