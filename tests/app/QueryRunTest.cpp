#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/LabeledEdit.h"
#include "app/Memo.h"
#include "app/RadioGroup.h"
#include "app/StringGrid.h"
#include "app/VeskinUnit.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/ScriptedWmi.h"

namespace veskin {
namespace {

using veskin::testing::Record;

class QueryRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        veskin::testing::ResetState();
        Wmi.AddClass(u"root\\cimv2", u"Win32_Thing",
                     {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                      PropertyDef(u"Size", wbemCimtypeUint32)});
        for (int i = 1; i <= 5; ++i)
            Wmi.AddInstance(u"root\\cimv2", u"Win32_Thing", {{u"Name", W(("thing" + std::to_string(i)).c_str())}, {u"Size", i * 10}});
        Form = std::make_unique<TForm1>();
        Form->show();
        QApplication::processEvents();
        Form->QueryRadioGroup->SetItemIndex(6);
        Form->QueryMemo->setPlainText("SELECT * FROM Win32_Thing");
    }
    void TearDown() override { Form.reset(); }

    // Runs fn whenever the count box shows text.
    void OnCount(const QString& text, std::function<void()> fn) {
        QObject::connect(Form->ResultCountLabel, &QLineEdit::textChanged, Form.get(),
                         [text, fn](const QString& now) {
                             if (now == text)
                                 fn();
                         });
    }
    void Test() { Form->TestButton->click(); }
    TStringGrid& Grid() { return *Form->Grid; }
    std::string Count() { return Form->ResultCountLabel->text().toStdString(); }
    std::string Status() { return Form->ResultLabel->text().toStdString(); }
    void ExpectFinished() {
        EXPECT_FALSE(Form->Running());
        EXPECT_TRUE(Form->TestButton->isEnabled());
        EXPECT_TRUE(Form->CloseButton->isEnabled());
        EXPECT_FALSE(Form->CancelButton->isEnabled());
        EXPECT_TRUE(Form->SaveButton->isEnabled());
        EXPECT_FALSE(Form->ShowCheckBox->isEnabled());
        EXPECT_TRUE(Form->ShowCheckBox->isChecked());
        EXPECT_FALSE(Form->Grid->isHidden());
    }

    ScriptedWmi Wmi;
    std::unique_ptr<TForm1> Form;
};

TEST_F(QueryRunTest, CopiesEveryObjectUnderAHeaderRow) {
    Form->Hostedit->setText(" far ");
    Form->Useredit->setText(" bob");
    Form->Passwordedit->setText("pw ");
    Form->Domainedit->setText("SALES");
    Form->NamespaceEdit->setText("  root\\cimv2\t");
    bool runningSeen = false;
    OnCount("1", [&] {
        runningSeen = Form->Running() && !Form->TestButton->isEnabled() && !Form->CloseButton->isEnabled() &&
                      Form->CancelButton->isEnabled() && !Form->SaveButton->isEnabled() &&
                      Form->ShowCheckBox->isEnabled();
    });
    Test();

    EXPECT_TRUE(Record().ErrorBoxes.empty());
    EXPECT_TRUE(runningSeen);
    ASSERT_EQ(Grid().RowCount(), 6);
    ASSERT_EQ(Grid().ColCount(), 2);
    EXPECT_EQ(Grid().FixedRows(), 1);
    EXPECT_EQ(Grid().Cell(0, 0), "Name");
    EXPECT_EQ(Grid().Cell(1, 0), "Size");
    EXPECT_EQ(Grid().ColWidth(0), 2 * Grid().TextWidth("Name"));
    EXPECT_EQ(Grid().ColWidth(1), 2 * Grid().TextWidth("Size"));
    EXPECT_EQ(Grid().Cell(0, 1), "thing1");
    EXPECT_EQ(Grid().Cell(1, 5), "50");
    EXPECT_EQ(Count(), "5");
    EXPECT_EQ(Status(), "Result of: SELECT * FROM Win32_Thing");
    ExpectFinished();

    // The connection was made from the entries as typed; only the namespace is trimmed.
    const auto connects = Wmi.Connects();
    ASSERT_EQ(connects.size(), 1u);
    const auto& connect = connects[0];
    EXPECT_EQ(connect.Server, u" far ");
    EXPECT_EQ(connect.User, u" bob");
    EXPECT_EQ(connect.Password, u"pw ");
    EXPECT_EQ(connect.Authority, u"NTLMDOMAIN:SALES");
    EXPECT_EQ(connect.NameSpace, u"root\\cimv2");
    ASSERT_EQ(Wmi.Queries().size(), 1u);
    EXPECT_EQ(Wmi.Queries()[0].Query, u"SELECT * FROM Win32_Thing\r\n");

    // A second run starts from a cleared table.
    Form->QueryMemo->setPlainText("SELECT * FROM Win32_Thing WHERE Size > 100");
    Form->Domainedit->setText("");
    Test();
    EXPECT_EQ(Wmi.Connects()[1].Authority, u"NTLMDOMAIN:");
    EXPECT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Grid().ColCount(), 1);
    EXPECT_EQ(Grid().FixedRows(), 0);
    EXPECT_EQ(Grid().Cell(0, 0), "");
    EXPECT_EQ(Count(), "Result count: ");
    ExpectFinished();
}

TEST_F(QueryRunTest, AFailureBeforeTheFirstRecordLeavesAnErrorRow) {
    Form->QueryMemo->setPlainText("SELECT * FROM Win32_Nothing");
    Test();
    ASSERT_EQ(Grid().RowCount(), 2);
    EXPECT_EQ(Grid().FixedRows(), 0);
    EXPECT_EQ(Grid().Cell(0, 0), "");
    const std::string error = Grid().Cell(0, 1);
    ASSERT_EQ(error.rfind("Error: ", 0), 0u) << error;
    EXPECT_NE(error.find("80041010"), std::string::npos) << error;
    EXPECT_EQ(Grid().ColWidth(0), 2 * Grid().TextWidth(error));
    EXPECT_EQ(Count(), "Result count: ");
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|" + ErrorBoxText(error.substr(7)));
    ExpectFinished();
}

TEST_F(QueryRunTest, AFailureAfterSomeRecordsKeepsThemAboveTheErrorRow) {
    // The third object's Size cannot be read: two whole rows and a partial third.
    OnCount("2", [&] { Wmi.Fail(WmiOp::PropertyValue, WBEM_E_ACCESS_DENIED, 0, u"Size"); });
    Test();
    ASSERT_EQ(Grid().FixedRows(), 1);
    ASSERT_EQ(Grid().RowCount(), 5);  // header, two rows, the partial row, the error row
    EXPECT_EQ(Grid().Cell(1, 2), "20");
    EXPECT_EQ(Grid().Cell(0, 3), "thing3");
    EXPECT_EQ(Grid().Cell(1, 3), "");
    const std::string error = Grid().Cell(0, 4);
    EXPECT_EQ(error.rfind("Error: 80041003", 0), 0u) << error;
    EXPECT_EQ(Grid().Cell(1, 4), "");
    EXPECT_EQ(Grid().ColWidth(0), 2 * Grid().TextWidth(error));
    EXPECT_EQ(Grid().ColWidth(1), 2 * Grid().TextWidth("Size"));
    EXPECT_EQ(Count(), "2");
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    ExpectFinished();
}

TEST_F(QueryRunTest, StopQueryEndsTheRunBetweenRecords) {
    OnCount("2", [&] { Form->CancelButton->click(); });
    Test();
    EXPECT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(Grid().Cell(0, 2), "thing2");
    EXPECT_EQ(Count(), "2");
    EXPECT_TRUE(Record().ErrorBoxes.empty());
    ExpectFinished();
}

TEST_F(QueryRunTest, HidingTheTableMidRunKeepsFillingIt) {
    bool hidden = false;
    OnCount("1", [&] { Form->ShowCheckBox->click(); });
    OnCount("3", [&] { hidden = Form->Grid->isHidden() && !Form->ShowCheckBox->isChecked(); });
    Test();
    EXPECT_TRUE(hidden);
    EXPECT_EQ(Grid().RowCount(), 6);
    EXPECT_EQ(Grid().model()->rowCount(), 5);
    ExpectFinished();
}

TEST_F(QueryRunTest, ARunStartedOnTheAdvancedPageSwitchesToBasic) {
    Form->PageControl1->setCurrentIndex(1);
    std::string during;
    OnCount("1", [&] { during = Status(); });
    Test();
    EXPECT_EQ(during, "Selected Query: SELECT * FROM Win32_Thing");
    EXPECT_EQ(Status(), "Result of: SELECT * FROM Win32_Thing");
    EXPECT_EQ(Form->PageControl1->currentIndex(), 0);

    // A query that does not open switches only at the end.
    Form->PageControl1->setCurrentIndex(1);
    Form->QueryMemo->setPlainText("SELECT FROM");
    Test();
    EXPECT_EQ(Status(), "Selected Query: SELECT FROM");
    EXPECT_EQ(Form->PageControl1->currentIndex(), 0);
}

TEST_F(QueryRunTest, AnEmptyQueryTextRunsTheDefaultQuery) {
    Form->QueryMemo->setPlainText("");
    Test();
    ASSERT_EQ(Wmi.Queries().size(), 1u);
    EXPECT_EQ(Wmi.Queries()[0].Query, u"Select * FROM Win32_OperatingSystem\r\n");
    EXPECT_EQ(Status().rfind("Result of: ", 0), 0u);
}

TEST_F(QueryRunTest, ACloseRequestDuringARunWaitsForItsEnd) {
    bool openDuringRun = false;
    OnCount("1", [&] {
        Form->close();
        openDuringRun = Form->isVisible();
    });
    Test();
    EXPECT_TRUE(openDuringRun);
    EXPECT_EQ(Count(), "5");
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(QueryRunTest, SaveResultsWritesTheTableToTheChosenFile) {
    Form->QueryMemo->setPlainText("SELECT * FROM Win32_Thing WHERE Size < 25");
    Test();
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/results.csv").toStdString();

    Form->SaveButton->click();  // cancelled: nothing written
    EXPECT_EQ(Record().SaveDialogs, 1);
    EXPECT_EQ(Record().SaveDialogStartName, "");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    Record().SaveAnswer = path;
    Form->SaveButton->click();
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "Name,Size\r\nthing1,10\r\nthing2,20\r\n");
    EXPECT_EQ(Form->SaveDialog.Filter, "Comma separated (*.csv)|*.csv|All files (*.*)|*.*");

    // The dialog offers the last name; a folder that does not exist is reported.
    Record().SaveAnswer = path + ".missing/x.csv";
    Form->SaveButton->click();
    EXPECT_EQ(Record().SaveDialogStartName, path);
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|Cannot Create file " + path + ".missing/x.csv.");
    EXPECT_EQ(Grid().RowCount(), 3);
}

}  // namespace
}  // namespace veskin
