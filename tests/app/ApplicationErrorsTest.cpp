#include <gtest/gtest.h>

#include <stdexcept>

#include "app/ApplicationErrors.h"
#include "tests/app/AppTestSupport.h"

namespace veskin {
namespace {

using veskin::testing::Record;

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersSortingAfterTheDot) {
    EXPECT_EQ(ErrorBoxText("Invalid query"), "Invalid query.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Really?"), "Really?.");  // '?' sorts after '.'
    EXPECT_EQ(ErrorBoxText("50%"), "50%");           // '%' sorts before '.'
    EXPECT_EQ(ErrorBoxText("a-"), "a-");
    EXPECT_EQ(ErrorBoxText("ends in a blank "), "ends in a blank ");
    EXPECT_EQ(ErrorBoxText("Error 12"), "Error 12.");
    EXPECT_EQ(ErrorBoxText(""), "");
    EXPECT_EQ(ErrorBoxText("Gr\xC3\xBC\xC3\x9F"), "Gr\xC3\xBC\xC3\x9F.");  // bytes above 127 sort after '.'
}

TEST(HandleExceptions, ShowsEveryKindOfExceptionInTheErrorBox) {
    veskin::testing::ResetState();
    HandleExceptions([] { throw EDatabaseError("WQL is not defined"); });
    HandleExceptions([] { throw std::runtime_error("bad thing"); });
    HandleExceptions([] { throw 42; });
    HandleExceptions([] {});
    ASSERT_EQ(Record().ErrorBoxes.size(), 3u);
    EXPECT_EQ(Record().ErrorBoxes[0], "Veskin|WQL is not defined.");
    EXPECT_EQ(Record().ErrorBoxes[1], "Veskin|bad thing.");
    EXPECT_EQ(Record().ErrorBoxes[2], "Veskin|Unknown exception.");
}

}  // namespace
}  // namespace veskin
