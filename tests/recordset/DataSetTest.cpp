// Opening, closing, moving and bookmarks of the record-set base.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "recordset/FieldClasses.h"

namespace veskin::test {
namespace {

std::vector<MemColumn> NameAndNumber() { return {{"Name", ftWideString, 20, {}}, {"Number", ftInteger, 0, {}}}; }

std::vector<Variant> Row(const char* name, int number) {
    return {Variant::FromOleStr(AnsiToWide(name)), Variant::FromInteger(number)};
}

struct ThreeRecords : ::testing::Test {
    MemDataSet ds{NameAndNumber()};
    void SetUp() override { ds.Records = {Row("a", 1), Row("b", 2), Row("c", 3)}; }
    std::string Name() { return ds.FieldByName("Name")->AsString(); }
};

TEST(DataSetOpenClose, EventsRunInOrderAroundStateChanges) {
    MemDataSet ds(NameAndNumber());
    ds.Records = {Row("a", 1)};
    std::vector<std::string> log;
    auto note = [&](const char* what) {
        return [&log, what](TDataSet* d) { log.push_back(std::string(what) + ":" + std::to_string(d->State())); };
    };
    ds.BeforeOpen = note("BeforeOpen");
    ds.AfterOpen = note("AfterOpen");
    ds.BeforeClose = note("BeforeClose");
    ds.AfterClose = note("AfterClose");

    ds.Open();
    ds.Open();  // already open: nothing
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.OpenCount, 1);
    EXPECT_EQ(ds.Allocs, 2);  // the active buffer and the spare
    ds.Close();
    ds.Close();  // already closed: nothing
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.CloseCount, 1);
    EXPECT_EQ(ds.Frees, 2);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeOpen:0", "AfterOpen:1", "BeforeClose:1", "AfterClose:0"}));
}

TEST(DataSetOpenClose, FailingOpenLeavesItClosedWithTheCursorClosed) {
    MemDataSet ds(NameAndNumber());
    ds.Records = {Row("a", 1)};
    bool afterOpen = false;
    ds.AfterOpen = [&](TDataSet*) { afterOpen = true; };
    ds.FailOpen = true;
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(ds.CloseCount, 1);
    EXPECT_FALSE(afterOpen);

    // A failure of the first fetch also frees the buffers and the default fields.
    ds.FailOpen = false;
    ds.FailFetchAt = 0;
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.CloseCount, 2);
    EXPECT_EQ(ds.Allocs, ds.Frees);
    EXPECT_EQ(ds.FieldCount(), 0);

    ds.FailFetchAt = -1;
    ds.Open();
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "a");
}

TEST(DataSetOpenClose, EmptyResultIsAtEndAndNextChangesNothing) {
    MemDataSet ds(NameAndNumber());
    int afterScroll = 0;
    ds.AfterScroll = [&](TDataSet*) { ++afterScroll; };
    ds.Open();
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Fields(0)->IsNull());
    EXPECT_EQ(ds.Fields(0)->ValueText(), "");
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(afterScroll, 0);
    EXPECT_TRUE(ds.GetBookmark().empty());
}

TEST(DataSetOpenClose, DefaultFieldsComeFromDefinitionsAndGoAtClose) {
    MemDataSet ds({{"S", ftSmallint, 0, {}}, {"W", ftWord, 0, {}}, {"I", ftInteger, 0, {}}, {"L", ftLargeint, 0, {}}, {"F", ftFloat, 0, {}}, {"B", ftBoolean, 0, {}}, {"D", ftDateTime, 0, {}}, {"T", ftWideString, 65535, {faRequired}}, {"V", ftVariant, 0, {faReadonly}}, {"O", ftInterface, 0, {}}});
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 10);
    EXPECT_TRUE(ds.DefaultFields());
    const char* classes[] = {"TSmallintField", "TWordField", "TIntegerField", "TLargeintField",
                             "TFloatField", "TBooleanField", "TDateTimeField", "TWideStringField",
                             "TVariantField", "TInterfaceField"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ds.Fields(i)->ClassName(), classes[i]);
    TField* text = ds.FieldByName("t");  // names ignore letter case
    EXPECT_EQ(text->Size(), 65535);
    EXPECT_EQ(text->DataSize(), 2 * 65535 + 2);
    EXPECT_TRUE(text->Required());
    EXPECT_FALSE(text->ReadOnly());
    EXPECT_TRUE(ds.FieldByName("V")->ReadOnly());
    EXPECT_EQ(ds.FieldByName("I")->FieldNo(), 3);
    EXPECT_EQ(text->DisplayName(), "T");
    text->SetDisplayLabel("Text");
    EXPECT_EQ(text->DisplayName(), "Text");
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 0);
    EXPECT_FALSE(ds.DefaultFields());
}

TEST(DataSetOpenClose, PersistentFieldsStayAfterClose) {
    MemDataSet ds(NameAndNumber());
    auto field = std::make_unique<TIntegerField>();
    field->SetFieldName("Number");
    ds.AddField(std::move(field));
    ds.Records = {Row("a", 7)};
    ds.Open();
    EXPECT_FALSE(ds.DefaultFields());
    ASSERT_EQ(ds.FieldCount(), 1);
    EXPECT_EQ(ds.Fields(0)->AsInteger(), 7);  // bound to the definition's field number
    EXPECT_THROW(ds.AddField(std::make_unique<TIntegerField>()), EDatabaseError);
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 1);
}

TEST(DataSetOpenClose, UnknownFieldTypeFailsTheOpen) {
    MemDataSet ds({{"X", ftBlob, 0, {}}});
    try {
        ds.Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'X' is of an unknown type");
    }
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.CloseCount, 1);
}

TEST_F(ThreeRecords, NextWalksToTheEndAndKeepsTheLastRecord) {
    int before = 0, after = 0;
    ds.BeforeScroll = [&](TDataSet*) { ++before; };
    ds.AfterScroll = [&](TDataSet*) { ++after; };
    ds.Open();
    EXPECT_FALSE(ds.Eof());
    EXPECT_FALSE(ds.Bof());  // both flags clear once the first record arrived
    std::vector<std::string> seen;
    while (!ds.Eof()) {
        seen.push_back(Name());
        ds.Next();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Name(), "c");
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(before, 3);
    EXPECT_EQ(after, 3);
    ds.Next();  // at the end: BeforeScroll only
    EXPECT_EQ(before, 4);
    EXPECT_EQ(after, 3);
    EXPECT_EQ(Name(), "c");
}

TEST_F(ThreeRecords, FirstLastPriorAndMoveBy) {
    ds.Open();
    EXPECT_EQ(ds.MoveBy(5), 2);
    EXPECT_TRUE(ds.Eof());
    ds.First();
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(Name(), "a");
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(Name(), "c");
    ds.Prior();
    EXPECT_EQ(Name(), "b");
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.MoveBy(-5), 1);
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(Name(), "a");
    // Moving forward again repositions the cursor on the active record first.
    ds.Next();
    EXPECT_EQ(Name(), "b");
}

TEST_F(ThreeRecords, BookmarksReturnToTheirRecord) {
    ds.Open();
    ds.Next();
    ds.Next();
    TBookmark mark = ds.GetBookmark();
    ASSERT_EQ(mark.size(), 4u);
    std::int32_t position = 0;
    std::memcpy(&position, mark.data(), 4);
    EXPECT_EQ(position, 2);
    EXPECT_TRUE(ds.BookmarkValid(mark));
    ds.First();
    ds.GotoBookmark(mark);
    EXPECT_EQ(Name(), "c");
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    ds.First();
    ds.GotoBookmark(TBookmark{});  // no bookmark: stays
    EXPECT_EQ(Name(), "a");
    ds.FreeBookmark(mark);
    EXPECT_TRUE(mark.empty());
    EXPECT_FALSE(ds.BookmarkValid(mark));
}

TEST_F(ThreeRecords, ClosedDataSetRefusesToMove) {
    try {
        ds.Next();
        FAIL() << "moved";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot perform this operation on a closed dataset");
    }
}

TEST(DataSetErrors, MessagesCarryTheDataSetName) {
    MemDataSet ds(NameAndNumber());
    ds.Open();
    try {
        ds.FieldByName("Missing");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'Missing' not found");
    }
    ds.SetName("Query1");
    try {
        ds.FieldByName("Missing");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Query1: Field 'Missing' not found");
    }
    try {
        ds.FieldDefs().Find(u"Missing");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Query1: Field 'Missing' not found");
    }
    EXPECT_EQ(ds.FieldDefs().Find(u"NUMBER")->FieldNo(), 2);
    EXPECT_EQ(ds.FieldDefs().IndexOf(u"name"), 0);
    EXPECT_THROW(ds.Fields(2), EListError);
}

TEST(DataSetLoading, ActiveSetWhileReadingOpensWhenLoadingEnds) {
    MemDataSet ds(NameAndNumber());
    ds.Records = {Row("a", 1)};
    ds.BeginLoading();
    ds.SetActive(true);
    EXPECT_FALSE(ds.Active());
    ds.EndLoading();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "a");
}

TEST(DataSetLoading, DestroyingAnOpenDataSetClosesItsCursorWithoutEvents) {
    int closeEvents = 0, closes = 0;
    {
        MemDataSet ds(NameAndNumber());
        ds.ClosesOut = &closes;
        ds.BeforeClose = [&](TDataSet*) { ++closeEvents; };
        ds.AfterClose = [&](TDataSet*) { ++closeEvents; };
        ds.Open();
    }
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(closeEvents, 0);
}

}  // namespace
}  // namespace veskin::test
