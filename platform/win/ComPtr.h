#pragma once
// An owning reference to a COM interface: released when the holder goes.
#include <utility>

#include "platform/win/WinApi.h"

namespace veskin {

template <class T>
class TComPtr {
public:
    TComPtr() = default;
    // Takes a reference the caller already owns (addRef false) or adds one (true).
    TComPtr(T* p, bool addRef) : FPtr(p) {
        if (FPtr && addRef) FPtr->AddRef();
    }
    TComPtr(const TComPtr& other) : FPtr(other.FPtr) {
        if (FPtr) FPtr->AddRef();
    }
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(FPtr, other.FPtr);
        return *this;
    }
    ~TComPtr() { Reset(); }

    void Reset() {
        if (FPtr) std::exchange(FPtr, nullptr)->Release();
    }
    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // The address to hand to a call that delivers a new reference.
    T** Out() {
        Reset();
        return &FPtr;
    }

    // Asks the object for another interface; the target stays empty on failure.
    template <class U>
    HRESULT As(TComPtr<U>& target) const {
        target.Reset();
        if (!FPtr) return E_POINTER;
        return FPtr->QueryInterface(__uuidof(U), reinterpret_cast<void**>(target.Out()));
    }

private:
    T* FPtr = nullptr;
};

}  // namespace veskin
