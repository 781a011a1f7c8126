#include "app/ApplicationErrors.h"

#include <QMessageBox>
#include <QString>

namespace veskin {

namespace {

void DefaultErrorBox(const std::string& title, const std::string& message) {
    QMessageBox::critical(nullptr, QString::fromStdString(title), QString::fromStdString(message));
}

TErrorBoxHook& CurrentHook() {
    static TErrorBoxHook hook;
    return hook;
}

}  // namespace

TErrorBoxHook SetErrorBoxHook(TErrorBoxHook hook) {
    TErrorBoxHook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void ShowException(const std::string& message) {
    const std::string text = ErrorBoxText(message);
    if (CurrentHook())
        CurrentHook()(ApplicationTitle, text);
    else
        DefaultErrorBox(ApplicationTitle, text);
}

}  // namespace veskin
