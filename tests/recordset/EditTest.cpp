// Editing through the record-set base: refusals, edit, insert, append, post, cancel, delete.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "recordset/FieldClasses.h"

namespace veskin::test {
namespace {

std::vector<Variant> Row(const char* name, int number) {
    return {Variant::FromOleStr(AnsiToWide(name)), Variant::FromInteger(number)};
}

struct Editing : ::testing::Test {
    MemDataSet ds{{{"Name", ftWideString, 20, {faRequired}}, {"Number", ftInteger, 0, {}}}};
    void SetUp() override {
        ds.Records = {Row("a", 1), Row("b", 2), Row("c", 3)};
        ds.Open();
    }
    std::string Name() { return ds.FieldByName("Name")->AsString(); }
    std::vector<std::string> Names() {
        std::vector<std::string> out;
        for (const auto& r : ds.Records) out.push_back(WideToAnsi(r[0].AsWideString()));
        return out;
    }
    void ExpectRefused(const std::function<void()>& action, const std::string& message) {
        try {
            action();
            ADD_FAILURE() << "not refused";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
};

TEST_F(Editing, ReadOnlyDataSetRefusesEveryChange) {
    ds.ReadOnlyFlag = true;
    const std::string refusal = "Cannot modify a read-only dataset";
    ExpectRefused([&] { ds.Edit(); }, refusal);
    ExpectRefused([&] { ds.Insert(); }, refusal);
    ExpectRefused([&] { ds.Append(); }, refusal);
    ExpectRefused([&] { ds.FieldByName("Number")->SetAsInteger(9); }, refusal);
    // Deleting is a change too: a read-only data set keeps its records.
    ExpectRefused([&] { ds.Delete(); }, refusal);
    ds.SetName("Query1");
    ExpectRefused([&] { ds.Edit(); }, "Query1: " + refusal);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Name(), "a");
}

TEST_F(Editing, ReadOnlyFieldRefusesWrites) {
    ds.FieldByName("Number")->SetReadOnly(true);
    ds.Edit();
    ExpectRefused([&] { ds.FieldByName("Number")->SetAsInteger(9); }, "Field 'Number' cannot be modified");
    EXPECT_EQ(ds.Records[0][1].AsInteger(), 1);
}

TEST_F(Editing, EditPostAndCancel) {
    std::vector<std::string> log;
    ds.BeforePost = [&](TDataSet* d) { log.push_back("BeforePost:" + std::to_string(d->State())); };
    ds.AfterPost = [&](TDataSet* d) { log.push_back("AfterPost:" + std::to_string(d->State())); };
    ds.Next();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsEdit);
    ds.FieldByName("Name")->SetAsString("B");
    ds.Post();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(), "B");
    EXPECT_EQ(log, (std::vector<std::string>{"BeforePost:2", "AfterPost:1"}));

    ds.Edit();
    ds.FieldByName("Name")->SetAsString("zzz");
    ds.Cancel();
    EXPECT_EQ(Name(), "B");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "B", "c"}));
}

TEST_F(Editing, MovingPostsAChangedEditAndCancelsAnUnchangedOne) {
    int posts = 0, cancels = 0;
    ds.AfterPost = [&](TDataSet*) { ++posts; };
    ds.AfterCancel = [&](TDataSet*) { ++cancels; };
    ds.Edit();
    ds.FieldByName("Number")->SetAsInteger(10);
    ds.Next();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.Records[0][1].AsInteger(), 10);
    EXPECT_EQ(Name(), "b");
    ds.Edit();
    ds.Next();
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(Name(), "c");
}

TEST_F(Editing, InsertGoesInFrontOfTheCurrentRecordAndAppendAtTheEnd) {
    ds.Next();
    ds.Insert();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_TRUE(ds.FieldByName("Name")->IsNull());
    ds.FieldByName("Name")->SetAsString("x");
    ds.Post();
    EXPECT_EQ(Name(), "x");
    ds.Append();
    ds.FieldByName("Name")->SetAsString("y");
    ds.Post();
    EXPECT_EQ(Name(), "y");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "x", "b", "c", "y"}));
    ds.Next();
    EXPECT_TRUE(ds.Eof());
}

TEST_F(Editing, PostChecksRequiredFieldsAndCancelDropsTheNewRecord) {
    ds.Insert();
    ExpectRefused([&] { ds.Post(); }, "Field 'Name' must have a value");
    EXPECT_EQ(ds.State(), dsInsert);
    ds.Cancel();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(), "a");
    EXPECT_EQ(ds.Records.size(), 3u);
}

TEST_F(Editing, RefusedInsertLeavesTheRecordsShownAsTheyWere) {
    ds.RefuseInsert = true;
    ds.Next();
    EXPECT_THROW(ds.Insert(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(), "b");
    ds.Next();
    EXPECT_EQ(Name(), "c");
    EXPECT_THROW(ds.Append(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(), "c");
    ds.Prior();
    EXPECT_EQ(Name(), "b");
}

TEST_F(Editing, DeleteShowsTheFollowingRecordOrTheLastOne) {
    ds.Next();
    ds.Delete();
    EXPECT_EQ(Name(), "c");
    ds.Delete();
    EXPECT_EQ(Name(), "a");
    ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    ExpectRefused([&] { ds.Delete(); }, "Cannot perform this operation on an empty dataset");
    // Editing an empty data set starts a new record.
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
    ds.FieldByName("Name")->SetAsString("n");
    ds.Post();
    EXPECT_EQ(Names(), (std::vector<std::string>{"n"}));
    EXPECT_FALSE(ds.Eof());
}

TEST_F(Editing, InsertAndAppendRecordStoreTheGivenValues) {
    ds.InsertRecord({Variant::FromOleStr(u"i"), Variant::FromInteger(8)});
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(), "i");
    ds.AppendRecord({Variant::FromOleStr(u"j")});
    EXPECT_EQ(Names(), (std::vector<std::string>{"i", "a", "b", "c", "j"}));
    EXPECT_TRUE(ds.Records[4][1].IsNull());
    EXPECT_THROW(ds.AppendRecord({Variant::Null()}), EDatabaseError);  // required name missing
    EXPECT_EQ(ds.Records.size(), 5u);
    EXPECT_EQ(ds.State(), dsBrowse);
}

}  // namespace
}  // namespace veskin::test
