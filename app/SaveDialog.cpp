#include "app/SaveDialog.h"

#include <QApplication>
#include <QFileDialog>

namespace veskin {

namespace {

TSaveDialogHook& CurrentHook() {
    static TSaveDialogHook hook;
    return hook;
}

bool DefaultSaveDialog(TSaveDialog& dialog) {
    QFileDialog box(QApplication::activeWindow());
    box.setAcceptMode(QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
    box.setSizeGripEnabled(true);
    box.setNameFilters(QString::fromStdString(QtNameFilters(dialog.Filter)).split(QStringLiteral(";;")));
    std::string suffix = dialog.DefaultExt;
    if (suffix.rfind("*.", 0) == 0)
        suffix = suffix.substr(2);
    box.setDefaultSuffix(QString::fromStdString(suffix));
    if (!dialog.FileName.empty())
        box.selectFile(QString::fromStdString(dialog.FileName));
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    dialog.FileName = box.selectedFiles().first().toStdString();
    return true;
}

}  // namespace

bool TSaveDialog::Execute() {
    return CurrentHook() ? CurrentHook()(*this) : DefaultSaveDialog(*this);
}

TSaveDialogHook SetSaveDialogHook(TSaveDialogHook hook) {
    TSaveDialogHook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}

std::string QtNameFilters(const std::string& filter) {
    std::string out;
    std::size_t start = 0;
    bool description = true;
    while (start <= filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos)
            bar = filter.size();
        if (description) {
            if (!out.empty())
                out += ";;";
            out += filter.substr(start, bar - start);
        }
        description = !description;
        start = bar + 1;
    }
    return out;
}

}  // namespace veskin
