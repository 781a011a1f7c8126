#pragma once
// The Windows SDK headers. Our own declarations come first: the SDK defines S_OK,
// E_NOTIMPL, VARIANT_TRUE, RPC_C_IMP_LEVEL_IMPERSONATE and the like as macros, which
// would rewrite our constants of the same names if the SDK were read before them.
// Inside namespace veskin the SDK's types are named with "::" (::IDispatch, ::GUID).
#include "platform/ComInit.h"
#include "platform/ComObjects.h"
#include "platform/ComTypes.h"
#include "platform/WbemScripting.h"
#include "rtl/Interface.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <oleauto.h>
#include <wbemdisp.h>
#include <windows.h>
