#include "wmi/NTStringTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veskin {
namespace {

// Every NextToken up to AtEnd, empty tokens included.
std::vector<std::string> AllTokens(const std::string& text, const std::string& delimiters) {
    TNTStringTokenizer t(text, delimiters);
    std::vector<std::string> tokens;
    for (int guard = 0; !t.AtEnd() && guard < 100; ++guard) tokens.push_back(t.NextToken());
    EXPECT_TRUE(t.AtEnd());
    return tokens;
}

using Tokens = std::vector<std::string>;

TEST(NTStringTokenizer, SplitsAtAnyDelimiterAndReportsEmptyTokens) {
    EXPECT_EQ(AllTokens("a,b", ","), (Tokens{"a", "b"}));
    EXPECT_EQ(AllTokens("{1, 2}", ",{} "), (Tokens{"", "1", "", "2", ""}));
    EXPECT_EQ(AllTokens("a,", ","), (Tokens{"a", ""}));
    EXPECT_EQ(AllTokens(",,x", ","), (Tokens{"", "", "x"}));
    EXPECT_EQ(AllTokens("no delimiters", ";"), (Tokens{"no delimiters"}));
    EXPECT_EQ(AllTokens("a\tb 'c'", " "), (Tokens{"a\tb", "'c'"}));
}

TEST(NTStringTokenizer, EmptyTextIsAtEndAndGivesEmptyTokens) {
    TNTStringTokenizer t("", ",");
    EXPECT_TRUE(t.AtEnd());
    EXPECT_EQ(t.NextToken(), "");
    EXPECT_EQ(t.NextToken(), "");
    EXPECT_TRUE(t.AtEnd());
    // Past the end it keeps answering empty tokens.
    TNTStringTokenizer u("x", ",");
    EXPECT_EQ(u.NextToken(), "x");
    EXPECT_TRUE(u.AtEnd());
    EXPECT_EQ(u.NextToken(), "");
    EXPECT_EQ(u.NextToken(), "");
}

}  // namespace
}  // namespace veskin
