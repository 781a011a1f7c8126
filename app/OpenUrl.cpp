#include "app/OpenUrl.h"

#include <QDesktopServices>
#include <QUrl>

namespace veskin {

namespace {

TOpenUrlHook& CurrentHook() {
    static TOpenUrlHook hook;
    return hook;
}

}  // namespace

TOpenUrlHook SetOpenUrlHook(TOpenUrlHook hook) {
    TOpenUrlHook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}

void OpenUrl(const std::string& url) {
    if (CurrentHook())
        CurrentHook()(url);
    else
        QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace veskin
