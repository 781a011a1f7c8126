// Posting, deleting and the refused inserts of the WMI record set.
#include <gtest/gtest.h>

#include "recordset/Field.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

struct EditFixture : ::testing::Test {
    ScriptedWmi wmi;
    TWmiConnection conn;
    TWmiQuery query;

    EditFixture() {
        wmi.AddClass(u"root\\cimv2", u"Edit_Item",
                     {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                      PropertyDef(u"Note", wbemCimtypeString)});
        for (const char* name : {"a", "b", "c"})
            wmi.AddInstance(u"root\\cimv2", u"Edit_Item", {{u"Name", Variant(name)}, {u"Note", Variant("n")}});
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Edit_Item"});
        query.Open();
        query.SetReadOnly(false);
    }
    std::string Name() { return query.FieldByName("Name")->ValueText(); }
};

TEST_F(EditFixture, PostWritesTheObjectBackToWmi) {
    query.Edit();
    query.FieldByName("Note")->SetAsString("posted");
    query.Post();
    ASSERT_EQ(wmi.Puts().size(), 1u);
    EXPECT_EQ(wmi.Puts()[0].Flags, 0);
    EXPECT_EQ(wmi.Instances(u"root\\cimv2", u"Edit_Item")[0]->GetValue(u"Note").AsString(), "posted");
    EXPECT_EQ(query.FieldByName("Note")->ValueText(), "posted");
}

TEST_F(EditFixture, DeleteRemovesTheObjectInWmiAndFromTheStore) {
    EXPECT_EQ(query.RecordCount(), 3);
    query.Next();
    wmi.Fail(WmiOp::Delete, WBEM_E_ACCESS_DENIED, 1);
    EXPECT_THROW(query.Delete(), TWmiException);
    EXPECT_EQ(Name(), "b");  // a refused delete changes nothing
    EXPECT_EQ(query.Store()->FetchedCount(), 3);

    query.Delete();
    EXPECT_EQ(wmi.Instances(u"root\\cimv2", u"Edit_Item").size(), 2u);
    EXPECT_EQ(Name(), "c");
    EXPECT_EQ(query.RecNo(), 2);
    EXPECT_EQ(query.RecordCount(), 2);
    query.First();
    EXPECT_EQ(Name(), "a");
}

TEST_F(EditFixture, InsertAndAppendAreRefused) {
    for (int append = 0; append < 2; ++append) {
        try {
            append ? query.Append() : query.Insert();
            ADD_FAILURE() << "accepted";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), "Cannot perform this operation on an open dataset");
        }
        EXPECT_EQ(query.State(), dsBrowse);
    }
    EXPECT_EQ(Name(), "a");
    query.Next();  // the cursor moves on from where the refused append left it
    EXPECT_EQ(Name(), "b");
    EXPECT_EQ(wmi.Puts().size(), 0u);
}

}  // namespace
}  // namespace veskin
