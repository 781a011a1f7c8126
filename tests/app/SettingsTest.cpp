#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStringList>

#include "app/LabeledEdit.h"
#include "app/Memo.h"
#include "app/RadioGroup.h"
#include "app/VeskinUnit.h"
#include "tests/app/AppTestSupport.h"

namespace veskin {
namespace {

using veskin::testing::Record;
using veskin::testing::StoredSettings;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { veskin::testing::ResetState(); }

    void Store(std::initializer_list<std::pair<const char*, QVariant>> values) {
        auto settings = StoredSettings();
        for (const auto& [name, value] : values)
            settings->setValue(name, value);
        settings->sync();
    }
    QVariant Stored(const char* name) { return StoredSettings()->value(name); }
    std::unique_ptr<TForm1> Open() {
        auto form = std::make_unique<TForm1>();
        form->show();
        return form;
    }
    QColor Base(QWidget* w) const { return w->palette().color(QPalette::Base); }
};

TEST_F(SettingsTest, FirstStartKeepsTheDesignValuesAndTheEndWritesAllSeven) {
    auto form = Open();
    EXPECT_EQ(form->QueryRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(form->QueryMemo->Text(), "Select * FROM Win32_OperatingSystem");
    EXPECT_EQ(form->DomainprefixEdit->text(), "NTLMDOMAIN:");
    form->Hostedit->setText(" server1 ");
    form->Useredit->setText("bob");
    form->Passwordedit->setText("secret");
    form->Domainedit->setText("SALES");
    form->QueryRadioGroup->SetItemIndex(6);
    form->QueryMemo->setPlainText("SELECT Name\nFROM Win32_Process");
    form.reset();

    EXPECT_TRUE(Record().ErrorBoxes.empty());
    auto settings = StoredSettings();
    QStringList keys = settings->allKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"Domain", "Domainprefix", "Host", "Namespace", "Query", "Selection", "User"}));
    EXPECT_EQ(settings->value("Selection").toInt(), 6);
    EXPECT_EQ(settings->value("Query").toString(), "SELECT Name\r\nFROM Win32_Process");
    EXPECT_EQ(settings->value("Host").toString(), " server1 ");
    EXPECT_EQ(settings->value("Namespace").toString(), "root\\cimV2");

    // The next start shows them again, editable custom text included; no password.
    auto again = Open();
    EXPECT_EQ(again->QueryRadioGroup->ItemIndex(), 6);
    EXPECT_FALSE(again->QueryMemo->isReadOnly());
    EXPECT_EQ(Base(again->QueryMemo), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(again->QueryMemo->Text(), "SELECT Name\r\nFROM Win32_Process");
    EXPECT_EQ(again->Hostedit->text(), " server1 ");
    EXPECT_EQ(again->Useredit->text(), "bob");
    EXPECT_EQ(again->Domainedit->text(), "SALES");
    EXPECT_EQ(again->Passwordedit->text(), "");
    EXPECT_EQ(again->ResultLabel->text(), "Selected Query: SELECT Name\nFROM Win32_Process");
}

TEST_F(SettingsTest, RestoredSelectionIsLimitedAndReactsOnlyToAChange) {
    // 0 is the design value: no reaction, the saved text stays, read-only.
    Store({{"Selection", 0}, {"Query", "SELECT Caption FROM Win32_OperatingSystem"}});
    {
        auto form = Open();
        EXPECT_TRUE(form->QueryMemo->isReadOnly());
        EXPECT_EQ(form->QueryMemo->Text(), "SELECT Caption FROM Win32_OperatingSystem");
    }
    Store({{"Selection", 99}, {"Query", "a\rb\nc"}});
    {
        auto form = Open();
        EXPECT_EQ(form->QueryRadioGroup->ItemIndex(), 6);
        EXPECT_FALSE(form->QueryMemo->isReadOnly());
        EXPECT_EQ(form->QueryMemo->Text(), "a\r\nb\r\nc");
    }
    EXPECT_EQ(Stored("Selection").toInt(), 6);
    Store({{"Selection", -5}, {"Query", "kept"}});
    {
        auto form = Open();
        EXPECT_EQ(form->QueryRadioGroup->ItemIndex(), -1);
        EXPECT_TRUE(form->QueryMemo->isReadOnly());
        EXPECT_EQ(form->QueryMemo->Text(), "kept");
    }
    EXPECT_EQ(Stored("Selection").toInt(), -1);
    // A preset index restores the preset, whose text the saved query then replaces.
    Store({{"Selection", 1}, {"Query", "SELECT Handle FROM Win32_Process"}});
    auto form = Open();
    EXPECT_EQ(form->QueryRadioGroup->ItemIndex(), 1);
    EXPECT_TRUE(form->QueryMemo->isReadOnly());
    EXPECT_EQ(form->QueryMemo->Text(), "SELECT Handle FROM Win32_Process");
}

TEST_F(SettingsTest, AValueOfTheWrongKindStopsReadingButTheWindowOpens) {
    Store({{"Selection", "six"}, {"Domain", "SALES"}});
    {
        auto form = Open();
        ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
        EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|Invalid data type for 'Selection'");
        EXPECT_EQ(form->Domainedit->text(), "");  // read after the failing value
        EXPECT_TRUE(form->isVisible());
    }
    // The end replaces the value by one of the right kind.
    EXPECT_EQ(Stored("Selection").toString(), "0");

    Record().Clear();
    Store({{"Selection", "4294967296"}});
    Open();
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|Failed to get data for 'Selection'");

    Record().Clear();
    Store({{"Selection", 2}, {"Domain", "SALES"}, {"Host", QStringList({"a", "b"})}, {"User", "bob"}});
    auto form = Open();
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|Invalid data type for 'Host'");
    EXPECT_EQ(form->Domainedit->text(), "SALES");
    EXPECT_EQ(form->Useredit->text(), "");
    EXPECT_EQ(form->QueryRadioGroup->ItemIndex(), 2);
}

TEST_F(SettingsTest, AStoreThatCannotBeWrittenIsReportedAtTheEnd) {
    const QString file = StoredSettings()->fileName();
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));  // a folder where the file should go
    Open().reset();
    QDir(file).removeRecursively();
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|Failed to set data for 'Selection'");
}

}  // namespace
}  // namespace veskin
