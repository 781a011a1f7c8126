#include <gtest/gtest.h>

#include "rtl/Exception.h"
#include "rtl/StringList.h"

namespace veskin {
namespace {

TEST(StringListTest, TextSplitsAtEveryLineBreakKind) {
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(3), "d");
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("x\r\n\r\ny\n");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Strings(1), "");
    list.SetText("p\n\rq");  // LF then CR are two line ends
    EXPECT_EQ(list.Count(), 3);
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
}

TEST(StringListTest, EditingAndIndexErrors) {
    TStringList list;
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_EQ(list.Add("two"), 1);
    list.Insert(2, "three");
    list.Insert(0, "zero");
    list.Put(1, "ONE");
    EXPECT_EQ(list.Text(), "zero\r\nONE\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(list.IndexOf("one"), 1);
    EXPECT_EQ(list.IndexOf("four"), -1);
    list.Delete(0);
    EXPECT_EQ(list.Strings(0), "ONE");
    try {
        (void)list.Strings(3);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (3)");
    }
    EXPECT_THROW((void)list.Strings(-1), EListError);
    EXPECT_THROW(list.Insert(4, "x"), EListError);
    EXPECT_THROW(list.Delete(3), EListError);
    EXPECT_THROW(list.Put(-1, "x"), EListError);
    EXPECT_THROW((void)list.Names(5), EListError);
    EXPECT_EQ(list.Count(), 3);
}

TEST(StringListTest, NamesAndValues) {
    TStringList list;
    list.SetText("plain\nA=1\n=empty name\nb=x=y\na=2\nC=");
    EXPECT_EQ(list.Names(0), "");
    EXPECT_EQ(list.ValueFromIndex(0), "");
    EXPECT_EQ(list.Names(3), "b");
    EXPECT_EQ(list.ValueFromIndex(3), "x=y");
    EXPECT_EQ(list.Values("a"), "1");  // first match, name compared ignoring case
    EXPECT_EQ(list.Values("B"), "x=y");
    EXPECT_EQ(list.Values(""), "empty name");  // a line starting with "="
    EXPECT_EQ(list.Values("plain"), "");       // no "=" means no name
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.IndexOfName("c"), 5);
    EXPECT_EQ(list.IndexOfName("plain"), -1);

    list.SetValue("A", "9");
    EXPECT_EQ(list.Strings(1), "A=9");
    list.SetValue("new", "v");
    EXPECT_EQ(list.Strings(list.Count() - 1), "new=v");
    list.SetValue("b", "");
    EXPECT_EQ(list.IndexOfName("b"), -1);
    list.SetValue("absent", "");
    EXPECT_EQ(list.Count(), 6);
}

TEST(StringListTest, ChangeNotificationAndAssign) {
    TStringList list;
    int changes = 0;
    TObject* sender = nullptr;
    list.OnChange = [&](TObject* s) {
        ++changes;
        sender = s;
    };
    list.Add("a");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &list);
    list.SetText("a\r\n");  // same lines: nothing changes
    EXPECT_EQ(changes, 1);
    list.BeginUpdate();
    list.Add("b");
    list.Add("c");
    EXPECT_EQ(changes, 1);
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
    list.Clear();
    list.Clear();
    EXPECT_EQ(changes, 3);

    TStringList other;
    other.SetText("x\ny");
    list.Assign(other);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(list.Text(), other.Text());
    other.Put(0, "changed");
    EXPECT_EQ(list.Strings(0), "x");  // a copy, not shared
    list.Assign(static_cast<const TPersistent*>(&other));
    EXPECT_EQ(list.Strings(0), "changed");
    TPersistent foreign;
    try {
        list.Assign(&foreign);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TStringList");
    }
    try {
        list.Assign(static_cast<const TPersistent*>(nullptr));
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TStringList");
    }
}

}  // namespace
}  // namespace veskin
