// The tab-separated lines of wmiquery's table: a cell's tabs, line breaks and
// backslashes are escaped so that every row stays one line with one tab per boundary.
#include <gtest/gtest.h>

#include "tools/wmiquery/TableText.h"

namespace veskin {
namespace {

TEST(TableLine, EscapesTabsLineBreaksAndBackslashesAnywhereInACell) {
    EXPECT_EQ(TableLine({"a", "", "b c"}, TTableStyle::Tab), "a\t\tb c");
    EXPECT_EQ(TableLine({"\tx\ny\r\\"}, TTableStyle::Tab), "\\tx\\ny\\r\\\\");
    EXPECT_EQ(TableLine({"C:\\Windows\\", "two\n\nlines", "\\"}, TTableStyle::Tab),
              "C:\\\\Windows\\\\\ttwo\\n\\nlines\t\\\\");
    EXPECT_EQ(TableLine({"caf\xC3\xA9", std::string(3, '\0') + "z"}, TTableStyle::Tab),
              "caf\xC3\xA9\t" + std::string(3, '\0') + "z");
    EXPECT_EQ(TableLine({}, TTableStyle::Tab), "");
    EXPECT_EQ(TableLine({"a,b", "c"}, TTableStyle::Comma), "\"a,b\",c");
}

}  // namespace
}  // namespace veskin
