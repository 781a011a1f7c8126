// The query run: "Test!" connects with the window's entries, runs the query and copies
// every result object into the results table, one row per object; "Stop Query" and the
// result-grid switch act between records.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "app/LabeledEdit.h"
#include "app/Memo.h"
#include "app/QueryPresets.h"
#include "app/StringGrid.h"
#include "app/VeskinUnit.h"
#include "rtl/StringList.h"
#include "rtl/SysUtils.h"
#include "rtl/WideString.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiQueryRows.h"

namespace veskin {

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

}  // namespace

// Copies each record into a new row of the table, the header from the first record;
// counts the rows in the count box and lets the window handle its input between records.
class TForm1::TGridRows : public TWmiRowSink {
public:
    explicit TGridRows(TForm1& form) : FForm(form), FGrid(*form.Grid) {}

    void Columns(const std::vector<std::string>& names) override { FNames = names; }
    void Row(const std::vector<std::string>& cells) override { AddRow(cells, FNames.size()); }
    // A record that failed at column c keeps its cells before c; its header reached c.
    void Unfinished(const std::vector<std::string>& cells) override {
        AddRow(cells, std::min(cells.size() + 1, FNames.size()));
    }
    void Moved(std::int32_t rows) override {
        FForm.ResultCountLabel->setText(QString::number(rows));
        // Input between records: "Stop Query", the table switch, page switches.
        QCoreApplication::processEvents();
    }
    bool StopRequested() override { return FForm.FStopRequested; }

private:
    void AddRow(const std::vector<std::string>& cells, std::size_t headers) {
        FGrid.SetRowCount(FGrid.RowCount() + 1);
        const bool first = FRows++ == 0;
        if (first)
            FGrid.SetFixedRows(1);
        if (!FNames.empty())
            FGrid.SetColCount(static_cast<int>(FNames.size()));
        for (std::size_t c = 0; first && c < headers; ++c) {
            FGrid.SetColWidth(static_cast<int>(c), 2 * FGrid.TextWidth(FNames[c]));
            FGrid.SetCell(static_cast<int>(c), 0, FNames[c]);
        }
        for (std::size_t c = 0; c < cells.size(); ++c)
            FGrid.SetCell(static_cast<int>(c), FRows, cells[c]);
    }

    TForm1& FForm;
    TStringGrid& FGrid;
    std::vector<std::string> FNames;
    int FRows = 0;
};

void TForm1::TestButtonClick(QObject*) {
    ResultCountLabel->setText(QStringLiteral("Result count: "));
    Grid->ClearCells();
    Grid->SetRowCount(1);
    Grid->SetColCount(1);

    std::string failure;
    try {
        FQuery = nullptr;
        FConnection = new TWmiConnection(nullptr);
        FConnection->SetMachineName(AnsiToWide(Utf8(Hostedit->text())));
        TWmiCredentials* credentials = FConnection->Credentials();
        credentials->SetUserName(AnsiToWide(Utf8(Useredit->text())));
        credentials->SetPassword(AnsiToWide(Utf8(Passwordedit->text())));
        credentials->SetAuthority(AnsiToWide(Utf8(DomainprefixEdit->text()) + Utf8(Domainedit->text())));
        FConnection->SetNameSpace(AnsiToWide(Trim(Utf8(NamespaceEdit->text()))));

        FQuery = new TWmiQuery(nullptr);
        FQuery->SetConnection(FConnection);
        const std::string query = QueryMemo->Text();
        TStringList lines;
        lines.SetText(query.empty() ? std::string(DefaultQuery) : query);
        FQuery->WQL().clear();
        for (int i = 0; i < lines.Count(); ++i)
            FQuery->WQL().push_back(lines.Strings(i));
        // No window message is handled until the query has opened.
        FQuery->Open();

        ResultLabel->setText(QStringLiteral("Result of: ") + QueryMemo->toPlainText());
        PageControl1->setCurrentIndex(0);
        FStopRequested = false;
        SetRunState(true);

        TGridRows rows(*this);
        WmiQueryRows(*FQuery, rows);
        FinishQuery();
        return;
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (const std::exception& e) {
        // Not of the library's exception class, but the run must still end cleanly:
        // otherwise the window would stay in the running state for good.
        failure = e.what();
    }

    Grid->SetRowCount(Grid->RowCount() + 1);
    const std::string text = "Error: " + failure;
    Grid->SetCell(0, Grid->RowCount() - 1, text);
    Grid->SetColWidth(0, 2 * Grid->TextWidth(text));
    FinishQuery();
    throw Exception(failure);
}

void TForm1::FinishQuery() {
    // The record set and the connection go whatever happens below, record set first.
    struct Release {
        TForm1* Form;
        ~Release() {
            delete Form->FQuery;
            Form->FQuery = nullptr;
            delete Form->FConnection;
            Form->FConnection = nullptr;
            Form->FStopRequested = false;
            Form->SetRunState(false);
        }
    } release{this};

    ResultLabel->setText(QStringLiteral("Result of: ") + QueryMemo->toPlainText());
    Grid->setVisible(true);
    ShowCheckBox->setChecked(true);
    PageControl1->setCurrentIndex(0);
    if (FQuery && FQuery->Active())
        FQuery->Close();
}

void TForm1::CancelButtonClick(QObject*) { FStopRequested = true; }

void TForm1::ShowCheckBoxClick(QObject*) { Grid->setVisible(ShowCheckBox->isChecked()); }

void TForm1::SetRunState(bool running) {
    FRunning = running;
    TestButton->setEnabled(!running);
    CloseButton->setEnabled(!running);
    CancelButton->setEnabled(running);
    SaveButton->setEnabled(!running);
    ShowCheckBox->setEnabled(running);
}

}  // namespace veskin
