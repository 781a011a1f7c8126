// The query run: "Test!", "Stop Query", the result-grid switch and the run's states.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/StringGrid.h"
#include "app/VeskinUnit.h"

namespace veskin {

void TForm1::TestButtonClick(QObject*) {
    ResultCountLabel->setText(QStringLiteral("Result count: "));
    Grid->ClearCells();
    Grid->SetRowCount(1);
    Grid->SetColCount(1);
    throw Exception("The WMI query record set is not part of this build yet");
}

void TForm1::FinishQuery() { SetRunState(false); }

void TForm1::SetRunState(bool running) {
    FRunning = running;
    TestButton->setEnabled(!running);
    CloseButton->setEnabled(!running);
    CancelButton->setEnabled(running);
    SaveButton->setEnabled(!running);
    ShowCheckBox->setEnabled(running);
}

}  // namespace veskin
