#include "app/SaveDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>

#include "app/SystemChoices.h"

namespace veskin {

namespace {

TSaveDialogHook& CurrentHook() {
    static TSaveDialogHook hook;
    return hook;
}

// Icons and type names of the listed entries from their names and kinds alone. Qt's own
// provider sniffs the content of a file without a known extension, and does so on the
// user-interface thread: a file whose reading blocks (/proc/kmsg for root) froze the dialog.
class TNameOnlyIcons : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override {
        if (!info.isFile())
            return QFileIconProvider::type(info);  // folder, drive, link: no content read
        const QList<QMimeType> byName = QMimeDatabase().mimeTypesForFileName(info.fileName());
        if (!byName.isEmpty() && !byName.first().comment().isEmpty())
            return byName.first().comment();
        return QStringLiteral("File");
    }
};

bool DefaultSaveDialog(TSaveDialog& dialog) {
    TNameOnlyIcons icons;  // outlives the dialog, whose model uses it
    QFileDialog box(QApplication::activeWindow());
    if (!UseSystemFileDialog())
        box.setOption(QFileDialog::DontUseNativeDialog, true);
    box.setIconProvider(&icons);
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
