#pragma once
// Opening a web address with the desktop's handler, through a hook tests replace.
#include <functional>
#include <string>

namespace veskin {

using TOpenUrlHook = std::function<void(const std::string& url)>;

// Installs hook (an empty function restores the default, QDesktopServices::openUrl)
// and returns the previous one.
TOpenUrlHook SetOpenUrlHook(TOpenUrlHook hook);

// Asks the desktop to open url; whether it could is not reported.
void OpenUrl(const std::string& url);

}  // namespace veskin
