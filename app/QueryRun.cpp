// The query run: "Test!" connects with the window's entries, runs the query and copies
// every result object into the results table, one row per object; "Stop Query" and the
// result-grid switch act between records.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/LabeledEdit.h"
#include "app/Memo.h"
#include "app/QueryPresets.h"
#include "app/StringGrid.h"
#include "app/VeskinUnit.h"
#include "recordset/Field.h"
#include "rtl/StringList.h"
#include "rtl/SysUtils.h"
#include "rtl/WideString.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"

namespace veskin {

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

}  // namespace

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

        std::int32_t counter = 0;
        while (!FQuery->Eof() && !FStopRequested) {
            Grid->SetRowCount(Grid->RowCount() + 1);
            if (counter == 0)
                Grid->SetFixedRows(1);
            for (int c = 0; c < FQuery->FieldCount(); ++c) {
                Grid->SetColCount(FQuery->FieldCount());
                const TField* field = FQuery->Fields(c);
                if (counter == 0) {
                    const std::string name = field->DisplayName();
                    Grid->SetColWidth(c, 2 * Grid->TextWidth(name));
                    Grid->SetCell(c, 0, name);
                }
                Grid->SetCell(c, counter + 1, field->ValueText());
            }
            FQuery->Next();
            ++counter;
            ResultCountLabel->setText(QString::number(counter));
            // Input between records: "Stop Query", the table switch, page switches.
            QCoreApplication::processEvents();
        }
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
