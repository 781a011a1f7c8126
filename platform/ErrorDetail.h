#pragma once
// The calling thread's description of its last failure, in the manner of COM's error
// information: the layer that saw a failure records what it knows beyond the result
// code (a certificate's fault, a server's own words), and the one that raises the
// error takes it once, for that code only.
#include <string>

#include "platform/ComTypes.h"

namespace veskin {

// Records text as the detail of a failure with code (replacing any earlier detail).
void SetErrorDetail(HRESULT code, std::string text);
// The detail recorded for code, or empty; clears what was recorded either way.
std::string TakeErrorDetail(HRESULT code);
// Forgets any recorded detail.
void ClearErrorDetail();

}  // namespace veskin
