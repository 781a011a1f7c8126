#pragma once
// The application's exception handling: no exception raised in a window handler may
// reach Qt's event loop. A caught exception is shown in the standard error box,
// titled with the application's title, through a hook that tests replace.
#include <exception>
#include <functional>
#include <string>

#include "rtl/Exception.h"

namespace veskin {

// The application's title: the program's name.
inline constexpr const char* ApplicationTitle = "Veskin";

// Shows an error box: title, message (8-bit text). The default shows a modal
// QMessageBox with the error icon.
using TErrorBoxHook = std::function<void(const std::string& title, const std::string& message)>;

// Installs hook (an empty function restores the default) and returns the previous one.
TErrorBoxHook SetErrorBoxHook(TErrorBoxHook hook);

// The text the error box shows for an exception's message: a full stop is appended
// when the last byte sorts after '.'; an empty message stays empty.
std::string ErrorBoxText(const std::string& message);

// Shows the error box for a message, titled ApplicationTitle.
void ShowException(const std::string& message);

// Runs handler; an exception leaving it is shown in the error box instead of
// propagating.
template <class Handler>
void HandleExceptions(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const Exception& e) {
        ShowException(e.Message());
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unknown exception");
    }
}

}  // namespace veskin
