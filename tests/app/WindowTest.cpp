#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "app/Anchors.h"
#include "app/LabeledEdit.h"
#include "app/LinkLabel.h"
#include "app/Memo.h"
#include "app/RadioGroup.h"
#include "app/Shape.h"
#include "app/StringGrid.h"
#include "app/VeskinUnit.h"
#include "tests/app/AppTestSupport.h"

namespace veskin {
namespace {

using veskin::testing::App;
using veskin::testing::Record;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        veskin::testing::ResetState();
        Form = std::make_unique<TForm1>();
        Form->show();
        QApplication::processEvents();
    }
    void TearDown() override { Form.reset(); }

    QColor Base(QWidget* w) const { return w->palette().color(QPalette::Base); }
    QColor ButtonFace() const { return QApplication::palette().color(QPalette::Button); }
    QColor WindowColour() const { return QApplication::palette().color(QPalette::Base); }
    std::string Status() const { return Form->ResultLabel->text().toStdString(); }
    void Key(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    std::unique_ptr<TForm1> Form;
};

TEST_F(WindowTest, StartsIdleWithTheDesignValues) {
    EXPECT_EQ(Form->windowTitle(), "Halvord Veskin V2.0.1");
    // The designed client area, or more where the outer minimum needs it.
    EXPECT_EQ(Form->size(), QSize(784, 592).expandedTo(Form->minimumSize()));
    EXPECT_EQ(Form->PageControl1->currentWidget(), Form->TabSheet2);
    EXPECT_EQ(Form->PageControl1->tabText(0), "Basic");
    EXPECT_EQ(Form->PageControl1->tabText(1), "Advanced");
    EXPECT_EQ(Form->PageControl1->tabText(2), "About");

    EXPECT_TRUE(Form->TestButton->isEnabled());
    EXPECT_TRUE(Form->CloseButton->isEnabled());
    EXPECT_FALSE(Form->CancelButton->isEnabled());
    EXPECT_FALSE(Form->SaveButton->isEnabled());
    EXPECT_FALSE(Form->ShowCheckBox->isEnabled());
    EXPECT_TRUE(Form->ShowCheckBox->isChecked());
    EXPECT_EQ(Form->Grid->RowCount(), 1);
    EXPECT_EQ(Form->Grid->ColCount(), 1);
    EXPECT_EQ(Form->Grid->FixedRows(), 0);
    EXPECT_EQ(Form->Grid->Cell(0, 0), "");

    EXPECT_EQ(Form->DomainprefixEdit->text(), "NTLMDOMAIN:");
    EXPECT_EQ(Form->NamespaceEdit->text(), "root\\cimV2");
    EXPECT_EQ(Form->QueryRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(Form->QueryMemo->Text(), "Select * FROM Win32_OperatingSystem");
    EXPECT_TRUE(Form->QueryMemo->isReadOnly());
    EXPECT_EQ(Base(Form->QueryMemo), ButtonFace());
    EXPECT_EQ(Form->Passwordedit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Form->ResultCountLabel->isReadOnly());
    EXPECT_EQ(Form->ResultCountLabel->text(), "");
    // The "Basic" page showed, so the status line names the selected query.
    EXPECT_EQ(Status(), "Selected Query: Select * FROM Win32_OperatingSystem");

    // Tab order of the "Basic" page.
    std::vector<QWidget*> chain;
    for (QWidget* w = Form->Domainedit; chain.size() < 9; w = w->nextInFocusChain())
        if (w->parentWidget() == Form->TabSheet2 && (w->focusPolicy() & Qt::TabFocus))
            chain.push_back(w);
    EXPECT_EQ(chain, (std::vector<QWidget*>{Form->Domainedit, Form->Hostedit, Form->Useredit, Form->Passwordedit,
                                            Form->CancelButton, Form->Grid, Form->ShowCheckBox,
                                            Form->ResultCountLabel, Form->SaveButton}));

    // Every control is found by its name.
    for (const char* name : {"PageControl1", "TabSheet1", "TabSheet2", "TabSheet3", "TestButton", "CloseButton",
                             "Domainedit", "Hostedit", "Useredit", "Passwordedit", "CancelButton", "ShowCheckBox",
                             "Label1", "ResultCountLabel", "Grid", "Label3", "Shape1", "ResultLabel", "SaveButton",
                             "DomainprefixEdit", "NamespaceEdit", "QueryRadioGroup", "QueryMemo", "Label2", "Label4",
                             "Label5", "Label6"})
        EXPECT_NE(Form->findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(WindowTest, PasswordShowsAStarForEveryCharacter) {
    Form->Passwordedit->setText(QStringLiteral("s3cr\u00e9t"));
    EXPECT_EQ(Form->Passwordedit->displayText().toStdString(), "******");
    // Only the password box masks.
    Form->Useredit->setText(QStringLiteral("admin"));
    EXPECT_EQ(Form->Useredit->displayText().toStdString(), "admin");
}

// What the screen shows: the count box's interior against the page just below it.
TEST_F(WindowTest, CountBoxTakesThePageColour) {
    const QImage shot = Form->grab().toImage();
    const QRect box(Form->ResultCountLabel->mapTo(Form.get(), QPoint(0, 0)), Form->ResultCountLabel->size());
    const QColor inside = shot.pixelColor(box.center());
    const QColor page = shot.pixelColor(box.center().x(), box.bottom() + 5);
    EXPECT_EQ(inside.name().toStdString(), page.name().toStdString());
    // The frame still shows: the box's edge differs from its interior.
    EXPECT_NE(shot.pixelColor(box.left(), box.center().y()).name().toStdString(), inside.name().toStdString());
}

TEST_F(WindowTest, ControlsSitAtTheirDesignPositions) {
    // Right- and bottom-anchored controls move by what the client area exceeds its design.
    const QSize extra = Form->size() - QSize(784, 592);
    EXPECT_EQ(Form->PageControl1->geometry(), QRect(8, 8, 769 + extra.width(), 545 + extra.height()));
    EXPECT_EQ(Form->TestButton->geometry(), QRect(28, 559 + extra.height(), 97, 25));
    EXPECT_EQ(Form->CloseButton->geometry(), QRect(660 + extra.width(), 559 + extra.height(), 97, 25));
    // Controls kept at left and top do not depend on the page's actual size.
    EXPECT_EQ(Form->CancelButton->geometry(), QRect(16, 98, 97, 24));
    EXPECT_EQ(Form->ShowCheckBox->geometry().topLeft(), QPoint(128, 101));
    EXPECT_GE(Form->ShowCheckBox->width(), 289);
    EXPECT_EQ(Form->Label3->geometry().topLeft(), QPoint(40, 200));
    EXPECT_EQ(Form->Grid->geometry().topLeft(), QPoint(16, 131));
    EXPECT_EQ(Form->Domainedit->geometry().topLeft(), QPoint(16, 24));
    // A caption label ends just above its edit box.
    const QRect label = Form->Domainedit->EditLabel()->geometry();
    EXPECT_EQ(label.x(), 16);
    EXPECT_EQ(label.bottom() + 1 + TLabeledEdit::LabelSpacing, 24);
    // Beneath-lying labels are stacked below the controls that cover them.
    const QObjectList& basic = Form->TabSheet2->children();
    EXPECT_LT(basic.indexOf(Form->Label3), basic.indexOf(Form->Grid));
}

TEST_F(WindowTest, EnlargingFollowsTheAnchors) {
    const QSize page = Form->TabSheet2->size();
    const QRect grid = Form->Grid->geometry();
    const QRect save = Form->SaveButton->geometry();
    const QRect count = Form->ResultCountLabel->geometry();
    const QRect shape = Form->Shape1->geometry();
    const QRect host = Form->Hostedit->geometry();
    const QRect cancel = Form->CancelButton->geometry();

    const QRect pages = Form->PageControl1->geometry();
    const QRect test = Form->TestButton->geometry();
    const QRect close = Form->CloseButton->geometry();

    Form->resize(Form->size() + QSize(100, 80));
    QApplication::processEvents();

    EXPECT_EQ(Form->PageControl1->geometry(), pages.adjusted(0, 0, 100, 80));
    EXPECT_EQ(Form->TestButton->geometry(), test.translated(0, 80));
    EXPECT_EQ(Form->CloseButton->geometry(), close.translated(100, 80));
    const QSize grown = Form->TabSheet2->size() - page;
    EXPECT_EQ(grown, QSize(100, 80));
    EXPECT_EQ(Form->Grid->geometry(), grid.adjusted(0, 0, 100, 80));
    EXPECT_EQ(Form->SaveButton->geometry(), save.translated(100, 80));
    EXPECT_EQ(Form->ResultCountLabel->geometry(), count.translated(100, 0));
    EXPECT_EQ(Form->Shape1->geometry(), shape.adjusted(0, 80, 100, 80));
    EXPECT_EQ(Form->Hostedit->geometry(), host.adjusted(0, 0, 100, 0));
    EXPECT_EQ(Form->CancelButton->geometry(), cancel);
    EXPECT_EQ(Form->Hostedit->EditLabel()->x(), Form->Hostedit->x());

    Form->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    const QRect memo = Form->QueryMemo->geometry();
    Form->resize(Form->size() + QSize(50, 0));
    QApplication::processEvents();
    EXPECT_EQ(Form->QueryMemo->geometry(), memo.adjusted(0, 0, 50, 0));
}

TEST_F(WindowTest, RefusesToShrinkBelowTheMinimum) {
    Form->resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(Form->width(), 784);
    EXPECT_GE(Form->height(), 592);
    // Outer minimum 800 x 600: the client minimum plus the frame.
    const QSize frame = Form->frameGeometry().size() - Form->geometry().size();
    const QSize outerMinimum = Form->minimumSize() + frame;
    if (frame.isNull())
        EXPECT_EQ(Form->minimumSize(), QSize(784, 592));
    else
        EXPECT_EQ(outerMinimum, QSize(800, 600));
}

TEST(AnchorPlacement, KeepsDistancesToTheAnchoredEdges) {
    const QSize design(100, 50);
    const QSize bigger(150, 70);
    const QRect r(10, 5, 20, 10);
    EXPECT_EQ(TAnchorLayout::Place(r, akLeft | akTop, design, bigger), r);
    EXPECT_EQ(TAnchorLayout::Place(r, akRight | akBottom, design, bigger), QRect(60, 25, 20, 10));
    EXPECT_EQ(TAnchorLayout::Place(r, akLeft | akRight | akTop | akBottom, design, bigger), QRect(10, 5, 70, 30));
    // Neither edge of an axis: the centre keeps its proportion (20/100 -> 30/150).
    EXPECT_EQ(TAnchorLayout::Place(r, akTop, design, bigger).x(), 20);
    // Shrinking a stretched control never gives it a negative size.
    EXPECT_EQ(TAnchorLayout::Place(r, akLeft | akRight, design, QSize(20, 50)).width(), 0);
}

TEST_F(WindowTest, PresetsFillTheQueryTextReadOnly) {
    const char* expected[] = {
        "SELECT * FROM Win32_OperatingSystem",
        "SELECT * FROM Win32_Process",
        "SELECT * FROM Win32_PerfFormattedData_PerfDisk_LogicalDisk",
        "SELECT * FROM Win32_PerfFormattedData_PerfOS_Memory",
        "SELECT * FROM Win32_PerfFormattedData_PerfOS_Processor",
        "SELECT *  FROM Win32_PerfRawData_Tcpip_NetworkInterface",
    };
    EXPECT_EQ(Form->QueryRadioGroup->Button(5)->text(),
              "Network (SELECT *  FROM Win32_PerfRawData_Tcpip_NetworkInterface)");
    EXPECT_EQ(Form->QueryRadioGroup->Button(6)->text(), "Custom ");
    Form->QueryRadioGroup->SetItemIndex(6);
    for (int i : {5, 4, 3, 2, 1, 0}) {
        Form->QueryRadioGroup->Button(i)->click();
        EXPECT_EQ(Form->QueryMemo->Text(), expected[i]) << i;
        EXPECT_TRUE(Form->QueryMemo->isReadOnly()) << i;
        EXPECT_EQ(Base(Form->QueryMemo), ButtonFace()) << i;
        EXPECT_EQ(Status(), std::string("Selected Query: ") + expected[i]) << i;
    }
}

TEST_F(WindowTest, CustomKeepsTheTextAndMakesItEditable) {
    Form->QueryRadioGroup->Button(1)->click();
    Form->QueryRadioGroup->Button(6)->click();
    EXPECT_FALSE(Form->QueryMemo->isReadOnly());
    EXPECT_EQ(Base(Form->QueryMemo), WindowColour());
    EXPECT_EQ(Form->QueryMemo->Text(), "SELECT * FROM Win32_Process");

    // Custom text is lost when a preset is chosen.
    Form->QueryMemo->setPlainText("SELECT Name FROM Win32_Process");
    Form->QueryRadioGroup->Button(3)->click();
    Form->QueryRadioGroup->Button(6)->click();
    EXPECT_EQ(Form->QueryMemo->Text(), "SELECT * FROM Win32_PerfFormattedData_PerfOS_Memory");

    // Choosing the selected item again changes nothing, not even the status line.
    Form->QueryMemo->setPlainText("typed");
    Form->ResultLabel->setText("unchanged");
    Form->QueryRadioGroup->Button(6)->click();
    Form->QueryRadioGroup->SetItemIndex(6);
    EXPECT_EQ(Form->QueryMemo->Text(), "typed");
    EXPECT_EQ(Status(), "unchanged");
}

TEST_F(WindowTest, NoItemLeavesTheTextAndIndexIsLimited) {
    Form->QueryMemo->setPlainText("kept");
    Form->QueryRadioGroup->SetItemIndex(-5);
    EXPECT_EQ(Form->QueryRadioGroup->ItemIndex(), -1);
    EXPECT_TRUE(Form->QueryMemo->isReadOnly());
    EXPECT_EQ(Form->QueryMemo->Text(), "kept");
    EXPECT_EQ(Status(), "Selected Query: kept");
    for (int i = 0; i < 7; ++i)
        EXPECT_FALSE(Form->QueryRadioGroup->Button(i)->isChecked());
    Form->QueryRadioGroup->SetItemIndex(99);
    EXPECT_EQ(Form->QueryRadioGroup->ItemIndex(), 6);
    EXPECT_TRUE(Form->QueryRadioGroup->Button(6)->isChecked());
}

TEST_F(WindowTest, ShowingTheBasicPageRefreshesTheStatusLine) {
    Form->PageControl1->setCurrentIndex(1);
    Form->QueryRadioGroup->Button(6)->click();
    Form->QueryMemo->setPlainText("SELECT Name\nFROM Win32_Process");
    Form->ResultLabel->setText("Result of: something");
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Status(), "Selected Query: SELECT Name\nFROM Win32_Process");
    EXPECT_EQ(Form->QueryMemo->Text(), "SELECT Name\r\nFROM Win32_Process");
}

TEST_F(WindowTest, EnterPressesTestAndEscapePressesClose) {
    int tests = 0;
    QObject::connect(Form->TestButton, &QPushButton::clicked, [&] { ++tests; });
    Key(Form->Hostedit, Qt::Key_Return);
    EXPECT_EQ(tests, 1);
    // The query text box keeps Enter, read-only or not.
    Form->PageControl1->setCurrentIndex(1);
    Key(Form->QueryMemo, Qt::Key_Return);
    EXPECT_EQ(tests, 1);
    // A disabled "Test!" is not pressed.
    Form->TestButton->setEnabled(false);
    Key(Form->Hostedit, Qt::Key_Enter);
    EXPECT_EQ(tests, 1);

    Form->CloseButton->setEnabled(false);
    Key(Form->Hostedit, Qt::Key_Escape);
    EXPECT_TRUE(Form->isVisible());
    Form->CloseButton->setEnabled(true);
    Key(Form->Hostedit, Qt::Key_Escape);
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(WindowTest, LinkLabelSetsTheApplicationCursorAndOpensTheAddress) {
    Form->PageControl1->setCurrentIndex(2);
    Form->Label6->OnMouseEnter();
    Form->Label6->OnMouseEnter();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Form->Label6->OnMouseLeave();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Form->Label6->OnClick();
    ASSERT_EQ(Record().OpenedUrls.size(), 1u);
    EXPECT_EQ(Record().OpenedUrls[0], TForm1::WebAddress);
    EXPECT_TRUE(Form->Label6->font().underline());
}

}  // namespace
}  // namespace veskin
