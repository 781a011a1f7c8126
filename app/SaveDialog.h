#pragma once
// The save-file dialog of "Save Results...". Execute shows it modally through a hook
// that tests replace; the chosen name is remembered for the next use.
#include <functional>
#include <string>

namespace veskin {

class TSaveDialog {
public:
    // Entries as "description|pattern|description|pattern..."; the first is selected.
    std::string Filter = "Comma separated (*.csv)|*.csv|All files (*.*)|*.*";
    std::string DefaultExt = "*.csv";
    // Empty at the first use, afterwards the name chosen last.
    std::string FileName;

    // True when the user chose a name (now in FileName); false when cancelled.
    bool Execute();
};

// Shows dialog and, when the user chooses a name, stores it in dialog.FileName and
// answers true. The default shows a QFileDialog that never reads the files it lists (it
// types them by name): the read-only box hidden, resizable,
// no question when the file exists, the default extension added to a bare name.
using TSaveDialogHook = std::function<bool(TSaveDialog& dialog)>;
TSaveDialogHook SetSaveDialogHook(TSaveDialogHook hook);

// "A|a|B|b" as Qt name filters: "A;;B" (the patterns are part of the descriptions).
std::string QtNameFilters(const std::string& filter);

}  // namespace veskin
