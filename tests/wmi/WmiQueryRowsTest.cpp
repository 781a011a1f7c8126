// The shared run of a query into rows of text: the call order a sink sees, a stop
// between records, and a record whose cells fail part-way.
#include "wmi/WmiQueryRows.h"

#include <gtest/gtest.h>

#include "recordset/Field.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

// Writes every call as a line: "columns a|b", "row x|y", "moved n", "unfinished x".
struct TRecordingSink : TWmiRowSink {
    void Columns(const std::vector<std::string>& names) override { Calls.push_back("columns " + Join(names)); }
    void Row(const std::vector<std::string>& cells) override { Calls.push_back("row " + Join(cells)); }
    void Moved(std::int32_t rows) override { Calls.push_back("moved " + std::to_string(rows)); }
    void Unfinished(const std::vector<std::string>& cells) override {
        Calls.push_back("unfinished " + Join(cells));
    }
    bool StopRequested() override { return static_cast<int>(Calls.size()) >= StopAfterCalls; }

    static std::string Join(const std::vector<std::string>& texts) {
        std::string joined;
        for (const std::string& text : texts) {
            if (!joined.empty()) joined += '|';
            joined += text;
        }
        return joined;
    }
    std::vector<std::string> Calls;
    int StopAfterCalls = 1000;
};

struct WmiQueryRowsTest : ::testing::Test {
    ScriptedWmi wmi;
    TWmiConnection conn;
    TWmiQuery query;
    TRecordingSink sink;

    WmiQueryRowsTest() {
        wmi.AddClass(u"root\\cimv2", u"Test_Item",
                     {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                      PropertyDef(u"Size", wbemCimtypeUint32)});
        for (int i = 1; i <= 3; ++i)
            wmi.AddInstance(u"root\\cimv2", u"Test_Item",
                            {{u"Name", Variant(AnsiToWide("item" + std::to_string(i)))}, {u"Size", Variant(i)}});
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Test_Item"});
        query.Open();
    }
};

using Calls = std::vector<std::string>;

TEST_F(WmiQueryRowsTest, HandsColumnsOnceThenEachRowBeforeTheMove) {
    EXPECT_EQ(WmiQueryRows(query, sink), 3);
    EXPECT_EQ(sink.Calls, (Calls{"columns Name|Size", "row item1|1", "moved 1", "row item2|2", "moved 2",
                                 "row item3|3", "moved 3"}));
    EXPECT_TRUE(query.Eof());

    // At the end already: nothing at all, not even the columns.
    sink.Calls.clear();
    EXPECT_EQ(WmiQueryRows(query, sink), 0);
    EXPECT_TRUE(sink.Calls.empty());
}

TEST_F(WmiQueryRowsTest, AStopEndsTheRunBeforeTheNextRecord) {
    sink.StopAfterCalls = 3;  // after the first record's move
    EXPECT_EQ(WmiQueryRows(query, sink), 1);
    EXPECT_EQ(sink.Calls, (Calls{"columns Name|Size", "row item1|1", "moved 1"}));
    EXPECT_EQ(query.FieldByName("Name")->ValueText(), "item2");
}

TEST_F(WmiQueryRowsTest, ACellThatFailsHandsOverTheCellsBeforeItAndRaises) {
    wmi.Fail(WmiOp::PropertyValue, WBEM_E_ACCESS_DENIED, 2, u"Size");  // the second record's Size
    try {
        WmiQueryRows(query, sink);
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, WBEM_E_ACCESS_DENIED);
    }
    EXPECT_EQ(sink.Calls, (Calls{"columns Name|Size", "row item1|1", "moved 1", "unfinished item2"}));
}

}  // namespace
}  // namespace veskin
