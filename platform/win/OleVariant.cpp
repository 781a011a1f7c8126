#include "platform/win/OleVariant.h"

#include "platform/win/OleText.h"
#include "platform/win/WinComObject.h"

namespace veskin {

namespace {

// The Variant element type of a SAFEARRAY element type (the numbers are COM's own).
bool ElementVarType(VARTYPE vt, TVarType& type) {
    switch (vt) {
        case VT_VARIANT: type = varVariant; return true;
        case VT_INT: type = varInteger; return true;
        case VT_UINT: type = varLongWord; return true;
        case VT_DECIMAL: type = varDouble; return true;
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_I8:
        case VT_UI8:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
        case VT_BOOL:
        case VT_ERROR:
        case VT_DISPATCH:
        case VT_UNKNOWN:
            type = static_cast<TVarType>(vt);
            return true;
        default:
            return false;
    }
}

HRESULT ScalarToVariant(const VARIANT& v, Variant& t) {
    switch (V_VT(&v)) {
        case VT_EMPTY: t = Variant(); break;
        case VT_NULL: t = Variant::Null(); break;
        case VT_I1: t = Variant::FromShortInt(static_cast<std::int8_t>(V_I1(&v))); break;
        case VT_UI1: t = Variant::FromByte(V_UI1(&v)); break;
        case VT_I2: t = Variant::FromSmallint(V_I2(&v)); break;
        case VT_UI2: t = Variant::FromWord(V_UI2(&v)); break;
        case VT_I4: t = Variant::FromInteger(V_I4(&v)); break;
        case VT_INT: t = Variant::FromInteger(V_INT(&v)); break;
        case VT_UI4: t = Variant::FromLongWord(V_UI4(&v)); break;
        case VT_UINT: t = Variant::FromLongWord(V_UINT(&v)); break;
        case VT_I8: t = Variant::FromInt64(V_I8(&v)); break;
        case VT_UI8: t = Variant::FromUInt64(V_UI8(&v)); break;
        case VT_R4: t = Variant::FromSingle(V_R4(&v)); break;
        case VT_R8: t = Variant::FromDouble(V_R8(&v)); break;
        case VT_CY: t = Variant::FromCurrency(V_CY(&v).int64); break;
        case VT_DATE: t = Variant::FromDate(V_DATE(&v)); break;
        case VT_BSTR: t = Variant::FromOleStr(BStrText(V_BSTR(&v))); break;
        case VT_BOOL: t = Variant::FromBoolean(V_BOOL(&v) != 0); break;
        case VT_ERROR: t = Variant::FromError(V_ERROR(&v)); break;
        case VT_DISPATCH: t = Variant::FromDispatch(WrapComObject(V_DISPATCH(&v))); break;
        case VT_UNKNOWN: t = Variant::FromUnknown(WrapComObject(V_UNKNOWN(&v))); break;
        case VT_DECIMAL: {
            // Our Variant has no decimal kind; the nearest is a double.
            TOleVariant d;
            HRESULT hr = ::VariantChangeType(d.Get(), const_cast<VARIANT*>(&v), 0, VT_R8);
            if (FAILED(hr)) return hr;
            t = Variant::FromDouble(V_R8(d.Get()));
            break;
        }
        default:
            return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

HRESULT ArrayToVariant(const VARIANT& v, Variant& t) {
    const VARTYPE vt = static_cast<VARTYPE>(V_VT(&v) & VT_TYPEMASK);
    TVarType elementType = varVariant;
    if (!ElementVarType(vt, elementType)) return DISP_E_BADVARTYPE;
    SAFEARRAY* sa = V_ARRAY(&v);
    if (sa == nullptr) {
        t = Variant::ArrayCreate(0, -1, elementType);
        return S_OK;
    }
    if (::SafeArrayGetDim(sa) != 1) return DISP_E_BADVARTYPE;
    LONG low = 0, high = -1;
    HRESULT hr = ::SafeArrayGetLBound(sa, 1, &low);
    if (SUCCEEDED(hr)) hr = ::SafeArrayGetUBound(sa, 1, &high);
    if (FAILED(hr)) return hr;
    Variant result = Variant::ArrayCreate(low, high, elementType);
    for (LONG i = low; i <= high; ++i) {
        TOleVariant element;
        VARIANT* e = element.Get();
        if (vt == VT_VARIANT) {
            hr = ::SafeArrayGetElement(sa, &i, e);
        } else if (vt == VT_DECIMAL) {
            DECIMAL d{};
            hr = ::SafeArrayGetElement(sa, &i, &d);
            e->decVal = d;  // overlaps the type field, so the type is set after it
            if (SUCCEEDED(hr)) V_VT(e) = VT_DECIMAL;
        } else {
            // Every other element type is stored where the VARIANT keeps its value.
            hr = ::SafeArrayGetElement(sa, &i, &V_UI1(e));
            if (SUCCEEDED(hr)) V_VT(e) = vt;
        }
        if (FAILED(hr)) return hr;
        Variant value;
        hr = OleToVariant(*e, value);
        if (FAILED(hr)) return hr;
        result.PutElement(static_cast<int>(i), value);
    }
    t = std::move(result);
    return S_OK;
}

HRESULT BStrInto(const WideString& text, VARIANT& target) {
    BSTR b = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (b == nullptr) return E_OUTOFMEMORY;
    V_VT(&target) = VT_BSTR;
    V_BSTR(&target) = b;
    return S_OK;
}

HRESULT ArrayToOle(const Variant& v, VARIANT& target) {
    const VariantArrayData& data = v.ArrayData();
    VARTYPE vt = VT_VARIANT;
    if (data.ElementType == varString) vt = VT_BSTR;
    else if (data.ElementType != varVariant) vt = static_cast<VARTYPE>(data.ElementType);
    TVarType check = varVariant;
    if (vt == VT_DECIMAL || vt == VT_INT || vt == VT_UINT || !ElementVarType(vt, check)) return DISP_E_BADVARTYPE;

    SAFEARRAY* sa = ::SafeArrayCreateVector(vt, data.LowBound, static_cast<ULONG>(data.Elements.size()));
    if (sa == nullptr) return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < data.Elements.size(); ++i) {
        LONG index = data.LowBound + static_cast<LONG>(i);
        TOleVariant element;
        VARIANT* e = element.Get();
        HRESULT hr = VariantToOle(data.Elements[i], *e);
        if (SUCCEEDED(hr) && vt != VT_VARIANT && V_VT(e) != vt) hr = ::VariantChangeType(e, e, 0, vt);
        if (SUCCEEDED(hr)) {
            void* value = nullptr;
            switch (vt) {
                case VT_VARIANT: value = e; break;
                case VT_BSTR: value = V_BSTR(e); break;
                case VT_DISPATCH: value = V_DISPATCH(e); break;
                case VT_UNKNOWN: value = V_UNKNOWN(e); break;
                default: value = &V_UI1(e); break;
            }
            hr = ::SafeArrayPutElement(sa, &index, value);  // copies the value
        }
        if (FAILED(hr)) {
            ::SafeArrayDestroy(sa);
            return hr;
        }
    }
    V_VT(&target) = static_cast<VARTYPE>(VT_ARRAY | vt);
    V_ARRAY(&target) = sa;
    return S_OK;
}

}  // namespace

HRESULT OleToVariant(const VARIANT& source, Variant& target) {
    if (V_VT(&source) & VT_BYREF) {
        TOleVariant copy;
        HRESULT hr = ::VariantCopyInd(copy.Get(), const_cast<VARIANT*>(&source));
        if (FAILED(hr)) return hr;
        return OleToVariant(copy.Value(), target);
    }
    if (V_VT(&source) & VT_ARRAY) return ArrayToVariant(source, target);
    return ScalarToVariant(source, target);
}

HRESULT VariantToOle(const Variant& source, VARIANT& target) {
    const Variant& v = source.Deref();
    if (v.IsArray()) return ArrayToOle(v, target);
    switch (v.VarType()) {
        case varEmpty: V_VT(&target) = VT_EMPTY; break;
        case varNull: V_VT(&target) = VT_NULL; break;
        case varShortInt:
            V_VT(&target) = VT_I1;
            V_I1(&target) = static_cast<CHAR>(v.RawInt());
            break;
        case varByte:
            V_VT(&target) = VT_UI1;
            V_UI1(&target) = static_cast<BYTE>(v.RawInt());
            break;
        case varSmallint:
            V_VT(&target) = VT_I2;
            V_I2(&target) = static_cast<SHORT>(v.RawInt());
            break;
        case varWord:
            V_VT(&target) = VT_UI2;
            V_UI2(&target) = static_cast<USHORT>(v.RawInt());
            break;
        case varInteger:
            V_VT(&target) = VT_I4;
            V_I4(&target) = static_cast<LONG>(v.RawInt());
            break;
        case varLongWord:
            V_VT(&target) = VT_UI4;
            V_UI4(&target) = static_cast<ULONG>(v.RawInt());
            break;
        case varInt64:
            V_VT(&target) = VT_I8;
            V_I8(&target) = v.RawInt();
            break;
        case varUInt64:
            V_VT(&target) = VT_UI8;
            V_UI8(&target) = v.RawUInt64();
            break;
        case varSingle:
            V_VT(&target) = VT_R4;
            V_R4(&target) = static_cast<FLOAT>(v.RawDouble());
            break;
        case varDouble:
            V_VT(&target) = VT_R8;
            V_R8(&target) = v.RawDouble();
            break;
        case varCurrency:
            V_VT(&target) = VT_CY;
            V_CY(&target).int64 = v.RawInt();
            break;
        case varDate:
            V_VT(&target) = VT_DATE;
            V_DATE(&target) = v.RawDouble();
            break;
        case varBoolean:
            V_VT(&target) = VT_BOOL;
            V_BOOL(&target) = v.RawBool() ? -1 : 0;
            break;
        case varError:
            V_VT(&target) = VT_ERROR;
            V_ERROR(&target) = static_cast<SCODE>(v.RawInt());
            break;
        case varOleStr: return BStrInto(v.RawOleStr(), target);
        case varString: return BStrInto(AnsiToWide(v.RawString()), target);
        case varDispatch:
        case varUnknown: {
            const IInterfacePtr& obj = v.RawInterface();
            ::IUnknown* com = nullptr;
            if (obj) {
                auto adapter = std::dynamic_pointer_cast<TWinComObject>(obj);
                if (!adapter) return DISP_E_TYPEMISMATCH;
                com = adapter->ComObject();
            }
            if (v.VarType() == varDispatch) {
                TComPtr<::IDispatch> dispatch = UnwrapDispatch(obj);
                if (obj && !dispatch) return DISP_E_TYPEMISMATCH;
                V_VT(&target) = VT_DISPATCH;
                V_DISPATCH(&target) = dispatch.Get();
                if (dispatch) dispatch->AddRef();
            } else {
                V_VT(&target) = VT_UNKNOWN;
                V_UNKNOWN(&target) = com;
                if (com) com->AddRef();
            }
            break;
        }
        default:
            return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

}  // namespace veskin
