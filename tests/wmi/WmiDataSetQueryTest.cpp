// The WMI query record set over the scripted service: opening and closing, the
// property setters, lazy fetching, bookmarks, record numbers and the connection tie.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

struct QueryFixture : ::testing::Test {
    ScriptedWmi wmi;
    TWmiConnection conn;
    TWmiQuery query;

    QueryFixture() {
        wmi.AddClass(u"root\\cimv2", u"Test_Item",
                     {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                      PropertyDef(u"Size", wbemCimtypeUint32)});
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Test_Item"});
    }
    void AddItems(int count) {
        for (int i = 0; i < count; ++i)
            wmi.AddInstance(u"root\\cimv2", u"Test_Item",
                            {{u"Name", Variant(AnsiToWide("item" + std::to_string(i)))}, {u"Size", Variant(i)}});
    }
    std::string Name() { return query.FieldByName("Name")->ValueText(); }
};

std::string OpenError(TWmiQuery& query) {
    try {
        query.Open();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

TEST_F(QueryFixture, WalksThreeObjectsFetchingOneAtATime) {
    AddItems(3);
    query.Open();
    EXPECT_EQ(wmi.Calls(WmiOp::Next), 1);  // opening fetches the first object only
    ASSERT_EQ(query.FieldCount(), 2);
    EXPECT_EQ(query.Fields(0)->DisplayName(), "Name");
    EXPECT_EQ(query.Fields(1)->DisplayName(), "Size");
    EXPECT_EQ(query.Fields(0)->DisplayWidth(), 1);
    EXPECT_EQ(query.Fields(1)->DisplayWidth(), 1);
    EXPECT_TRUE(query.Fields(0)->Required());
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(Name(), "item0");
    EXPECT_EQ(query.RecNo(), 1);

    for (int i = 1; i < 3; ++i) {
        query.Next();
        EXPECT_EQ(Name(), "item" + std::to_string(i));
        EXPECT_EQ(wmi.Calls(WmiOp::Next), i + 1);
        EXPECT_FALSE(query.Eof());
    }
    query.Next();  // finds the end; the last object stays the active record
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Store()->Exhausted());
    EXPECT_EQ(Name(), "item2");
    EXPECT_EQ(query.RecNo(), 3);

    query.Prior();  // back within the store, no WMI call
    EXPECT_EQ(Name(), "item1");
    query.Last();
    EXPECT_EQ(Name(), "item2");
    query.Prior();
    query.Next();  // from the last record and back: no record twice
    EXPECT_EQ(Name(), "item2");
    query.First();
    EXPECT_EQ(Name(), "item0");
    EXPECT_EQ(wmi.Calls(WmiOp::Next), 4);
    EXPECT_EQ(wmi.Calls(WmiOp::ExecQuery), 1);
}

TEST_F(QueryFixture, EmptyResultOpensAtItsEndWithoutFields) {
    query.Open();
    EXPECT_TRUE(query.Active());
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.FieldCount(), 0);
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_EQ(query.RecordCount(), 0);
    query.Next();
    query.Last();
    query.SetRecNo(0);
    query.SetRecNo(4);
    EXPECT_TRUE(query.Eof());
    ISWbemObjectPtr obj;
    query.GetWmiObject(obj);
    EXPECT_EQ(obj, nullptr);
}

TEST_F(QueryFixture, CountingFetchesTheRestAndKeepsTheActiveRecord) {
    AddItems(5);
    query.Open();
    query.Next();
    EXPECT_EQ(query.RecordCount(), 5);
    EXPECT_EQ(wmi.Calls(WmiOp::Next), 6);  // five objects and the end
    EXPECT_EQ(Name(), "item1");
    EXPECT_EQ(query.RecNo(), 2);
    query.Next();
    EXPECT_EQ(Name(), "item2");
    EXPECT_EQ(query.RecordCount(), 5);
    EXPECT_EQ(wmi.Calls(WmiOp::Next), 6);
}

// A fetch failing in the middle of a count or a far move raises, and the walk goes on
// from the record the user sees: nothing skipped, nothing repeated.
TEST_F(QueryFixture, FailedFetchDuringCountOrRecordNumberLosesNoRecord) {
    AddItems(5);
    auto walkFrom = [&](int first) {
        for (int i = first; i < 5; ++i) {
            EXPECT_EQ(Name(), "item" + std::to_string(i));
            EXPECT_EQ(query.RecNo(), i + 1);
            query.Next();
        }
        EXPECT_TRUE(query.Eof());
        EXPECT_EQ(Name(), "item4");
    };

    query.Open();
    query.Next();
    wmi.Fail(WmiOp::Next, WBEM_E_FAILED, 2);
    EXPECT_THROW(query.RecordCount(), TWmiException);
    wmi.ClearFaults();
    walkFrom(1);
    EXPECT_EQ(query.RecordCount(), 5);

    query.Close();
    query.Open();
    wmi.Fail(WmiOp::Next, WBEM_E_FAILED, 2);
    EXPECT_THROW(query.SetRecNo(5), TWmiException);
    wmi.ClearFaults();
    walkFrom(0);
}

TEST_F(QueryFixture, BookmarksAreFourBytePositions) {
    AddItems(4);
    query.Open();
    query.Next();
    query.Next();
    const TBookmark mark = query.GetBookmark();
    ASSERT_EQ(mark.size(), 4u);
    std::int32_t position = -1;
    std::memcpy(&position, mark.data(), 4);
    EXPECT_EQ(position, 2);
    EXPECT_TRUE(query.BookmarkValid(mark));

    query.First();
    const int calls = wmi.Calls(WmiOp::Next);
    query.GotoBookmark(mark);
    EXPECT_EQ(Name(), "item2");
    EXPECT_EQ(wmi.Calls(WmiOp::Next), calls);

    // A position not fetched yet is not valid, and moving to it leaves the cursor.
    TBookmark unfetched(4);
    const std::int32_t fetched = query.Store()->FetchedCount();
    std::memcpy(unfetched.data(), &fetched, 4);
    EXPECT_FALSE(query.BookmarkValid(unfetched));
    EXPECT_FALSE(query.BookmarkValid(TBookmark{}));
    query.GotoBookmark(unfetched);
    EXPECT_EQ(Name(), "item2");
    EXPECT_EQ(query.Store()->FetchedCount(), fetched);
}

TEST_F(QueryFixture, RecordNumbersMoveThroughTheStore) {
    AddItems(4);
    query.Open();
    int scrolls = 0;
    query.AfterScroll = [&](TDataSet*) { ++scrolls; };
    query.SetRecNo(3);
    EXPECT_EQ(Name(), "item2");
    EXPECT_EQ(query.RecNo(), 3);
    query.SetRecNo(3);  // not compared with the current number: still scrolls
    EXPECT_EQ(scrolls, 2);
    query.SetRecNo(99);
    EXPECT_EQ(Name(), "item3");
    query.SetRecNo(0);  // below 1: the first record
    EXPECT_EQ(Name(), "item0");
    query.Next();
    EXPECT_EQ(Name(), "item1");
}

TEST_F(QueryFixture, AUnidirectionalQueryWalksForwardOnlyAndClosesFromAnyRecord) {
    AddItems(4);
    query.SetUniDirectional(true);
    query.Open();
    std::vector<std::string> names;
    for (; !query.Eof() && names.size() < 3; query.Next()) names.push_back(Name());
    EXPECT_EQ(names, (std::vector<std::string>{"item0", "item1", "item2"}));
    ASSERT_EQ(Name(), "item3");
    const std::vector<std::function<void()>> waysBack = {[&] { query.First(); }, [&] { query.Prior(); },
                                                         [&] { query.Last(); }, [&] { query.SetRecNo(1); }};
    for (std::size_t i = 0; i < waysBack.size(); ++i) {
        try {
            waysBack[i]();
            ADD_FAILURE() << "way back " << i << " did not fail";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), SDataSetUnidirectional);
        }
    }
    query.Close();
    EXPECT_FALSE(query.Active());
    // Only a closed query changes direction; opened again, it starts from the first.
    query.SetUniDirectional(false);
    query.Open();
    EXPECT_THROW(query.SetUniDirectional(true), EDatabaseError);
    query.Last();
    query.First();
    EXPECT_EQ(Name(), "item0");
}

TEST_F(QueryFixture, QueryFlagsFollowAsynchronous) {
    AddItems(1);
    query.WQL() = {"SELECT *", "FROM Test_Item"};
    query.Open();
    query.Close();
    query.SetAsynchronous(false);
    query.Open();
    const auto queries = wmi.Queries();
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(queries[0].Flags, 48);
    EXPECT_EQ(queries[1].Flags, 32);
    EXPECT_EQ(queries[0].Language, u"WQL");
    EXPECT_EQ(queries[0].Query, u"SELECT *\r\nFROM Test_Item\r\n");
    EXPECT_FALSE(queries[0].HasContext);
}

TEST_F(QueryFixture, MissingQueryTextIsReportedBeforeAMissingConnection) {
    query.SetName("Q1");
    query.SetConnection(nullptr);
    query.WQL() = {"  ", "\t"};
    EXPECT_EQ(OpenError(query), "WQL is not defined");
    query.WQL() = {"SELECT * FROM Test_Item"};
    EXPECT_EQ(OpenError(query), "Connection is not defined");
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(wmi.Calls(WmiOp::Connect), 0);
}

TEST_F(QueryFixture, FailuresWhileOpeningLeaveTheRecordSetClosed) {
    AddItems(2);
    const struct {
        WmiOp Op;
        HRESULT Code;
    } cases[] = {{WmiOp::Connect, WBEM_E_ACCESS_DENIED},
                 {WmiOp::ExecQuery, WBEM_E_INVALID_QUERY},
                 {WmiOp::NewEnum, WBEM_E_FAILED},
                 {WmiOp::Next, WBEM_E_FAILED}};
    for (const auto& c : cases) {
        wmi.ClearFaults();
        wmi.Fail(c.Op, c.Code, 1);
        try {
            query.Open();
            ADD_FAILURE() << "opened despite a failing " << static_cast<int>(c.Op);
        } catch (const TWmiException& e) {
            EXPECT_EQ(e.ErrorCode, c.Code);
        }
        EXPECT_FALSE(query.Active());
        EXPECT_EQ(query.Store(), nullptr);
        EXPECT_EQ(query.FieldCount(), 0);
    }
    wmi.ClearFaults();
    query.Open();
    EXPECT_EQ(Name(), "item0");
}

TEST_F(QueryFixture, UnsupportedTypeWhileOpeningClosesAgain) {
    wmi.AddClass(u"root\\cimv2", u"Odd_Item", {PropertyDef(u"A", wbemCimtypeString), PropertyDef(u"B", 0)});
    wmi.AddInstance(u"root\\cimv2", u"Odd_Item", {{u"A", Variant("x")}});
    query.SetWQL({"SELECT * FROM Odd_Item"});
    EXPECT_EQ(OpenError(query), "Unsupported CIM data type: 0");
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.FieldCount(), 0);
    EXPECT_EQ(query.FieldDefs().Count(), 1);
}

TEST_F(QueryFixture, SettersCloseOnlyOnARealChange) {
    AddItems(1);
    query.Open();
    query.SetWQL({"SELECT * FROM Test_Item"});
    query.SetAsynchronous(true);
    query.SetIrregularView(false);
    query.SetReadOnly(false);
    query.WQL()[0] = "select * from Test_Item";  // in place: neither compared nor closed
    EXPECT_TRUE(query.Active());

    query.SetWQL({"SELECT * FROM Test_Item"});  // differs from the in-place text in case
    EXPECT_FALSE(query.Active());
    query.Open();
    query.SetAsynchronous(false);
    EXPECT_FALSE(query.Active());
    query.Open();
    query.SetIrregularView(true);
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.RecordFieldDefs().Count(), 0);
}

TEST_F(QueryFixture, IrregularViewShowsWholeObjectsAndDescribesEachRecord) {
    AddItems(2);
    query.SetIrregularView(true);
    query.Open();
    ASSERT_EQ(query.FieldCount(), 1);
    EXPECT_EQ(query.Fields(0)->FieldName(), "Object");
    EXPECT_EQ(query.RecordFieldDefs().Count(), 2);
    EXPECT_EQ(query.RecordFieldDefs().Items(0)->Name(), u"Name");
    const std::string text = query.Fields(0)->ValueText();
    EXPECT_NE(text.find("instance of Test_Item"), std::string::npos) << text;
    EXPECT_NE(text.find("\"item0\""), std::string::npos) << text;
    query.Next();
    EXPECT_NE(query.Fields(0)->ValueText().find("\"item1\""), std::string::npos);
    query.Next();  // the end empties the record's description
    EXPECT_EQ(query.RecordFieldDefs().Count(), 0);
}

TEST_F(QueryFixture, DefinitionsOnRequestUseTheOpenRecordOrALocalPrototype) {
    conn.SetMachineName(u"FARHOST");
    query.InitFieldDefs();
    ASSERT_EQ(query.FieldDefs().Count(), 2);
    EXPECT_EQ(query.FieldDefs().Items(1)->Name(), u"Size");
    ASSERT_EQ(wmi.Queries().size(), 1u);
    EXPECT_EQ(wmi.Queries()[0].Flags, 50);
    EXPECT_EQ(wmi.Connects().at(0).Server, u"");
    EXPECT_FALSE(conn.Connected());

    query.WQL() = {" "};
    query.FieldDefs().Clear();
    query.InitFieldDefs();  // blank text: left as they are, nothing asked
    EXPECT_EQ(query.FieldDefs().Count(), 0);
    EXPECT_EQ(wmi.Queries().size(), 1u);
}

TEST_F(QueryFixture, ProviderInterfaceAndConnectionTie) {
    AddItems(3);
    TComponent owner;
    auto* ownedConn = new TWmiConnection(&owner);
    auto* ownedQuery = new TWmiQuery(&owner);
    ownedQuery->SetConnection(ownedConn);
    ownedQuery->SetWQL({"SELECT * FROM Test_Item"});
    ownedQuery->Open();

    ISWbemObjectPtr obj;
    ownedQuery->GetWmiObject(obj);
    EXPECT_NE(obj, nullptr);
    ISWbemServicesPtr services;
    ownedQuery->GetServices(services);
    EXPECT_NE(services, nullptr);
    EXPECT_EQ(ownedQuery->GetComponent(), ownedQuery);

    ownedConn->SetConnected(false);  // the record set keeps its enumerator
    EXPECT_TRUE(ownedQuery->Active());
    ownedQuery->Next();
    EXPECT_EQ(ownedQuery->FieldByName("Name")->ValueText(), "item1");

    delete ownedConn;  // removal reaches the record set through the common owner
    EXPECT_FALSE(ownedQuery->Active());
    EXPECT_EQ(ownedQuery->Connection(), nullptr);
    ownedQuery->GetServices(services);
    EXPECT_EQ(services, nullptr);
}

TEST_F(QueryFixture, StoredActiveFailingAtDesignTimeReachesTheExceptionHook) {
    query.SetConnection(nullptr);
    query.BeginLoading();
    query.SetActive(true);
    query.SetDesigning(true);
    try {
        query.EndLoading();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "InternalHandleException Not implemented");
    }
    EXPECT_FALSE(query.Active());
}

}  // namespace
}  // namespace veskin
