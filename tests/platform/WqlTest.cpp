#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>

#include "platform/WqlValue.h"
#include "rtl/TextFold.h"
#include "tests/platform/WqlParse.h"

namespace veskin {
namespace {

HRESULT ParseCode(const WideString& text) {
    WqlQueryPtr q;
    HRESULT hr = WqlParse(text, q);
    EXPECT_EQ(hr == S_OK, q != nullptr);
    return hr;
}

// A property bag with case-insensitive names; unknown names are null.
struct Bag {
    std::map<std::string, Variant> Values;
    Variant operator()(const WideString& name) const {
        for (const auto& [k, v] : Values)
            if (SameTextW(W(k.c_str()), name)) return v;
        return Variant::Null();
    }
};

bool Matches(const char* where, const Bag& bag) {
    std::string text = std::string("SELECT * FROM C WHERE ") + where;
    WqlQueryPtr q;
    EXPECT_EQ(WqlParse(W(text.c_str()), q), S_OK) << where;
    return q && q->Matches(bag);
}

TEST(WqlParse, SelectListClassAndReferences) {
    auto q = Parse("select * from Win32_Process");
    EXPECT_TRUE(q->SelectAll());
    EXPECT_TRUE(q->Properties().empty());
    EXPECT_EQ(q->ClassName(), W("Win32_Process"));

    q = Parse("  SeLeCt Name ,ProcessId\tFROM\r\nwin32_process WHERE name = 'x' AND PROCESSID > 4 OR Handle IS NOT NULL ");
    EXPECT_FALSE(q->SelectAll());
    ASSERT_EQ(q->Properties().size(), 2u);
    EXPECT_EQ(q->Properties()[0], W("Name"));
    EXPECT_EQ(q->Properties()[1], W("ProcessId"));
    EXPECT_EQ(q->ClassName(), W("win32_process"));
    // Each name once, in first-seen spelling.
    std::vector<WideString> refs = q->ReferencedProperties();
    ASSERT_EQ(refs.size(), 3u);
    EXPECT_EQ(refs[0], W("Name"));
    EXPECT_EQ(refs[1], W("ProcessId"));
    EXPECT_EQ(refs[2], W("Handle"));

    EXPECT_TRUE(Parse("SELECT * FROM C WHERE ((a = 1))")->Matches(Bag{{{"a", Variant(1)}}}));
    EXPECT_TRUE(Parse("SELECT * FROM C WHERE 5 < a")->Matches(Bag{{{"a", Variant(6)}}}));
}

TEST(WqlParse, RefusesWhatItDoesNotUnderstand) {
    const char* bad[] = {
        "",
        "   ",
        "SELECT",
        "SELECT *",
        "SELECT * FROM",
        "SELECT FROM C",
        "SELECT *, Name FROM C",
        "SELECT Name, FROM C",
        "SELECT * FROM C WHERE",
        "SELECT * FROM C WHERE a",
        "SELECT * FROM C WHERE a =",
        "SELECT * FROM C WHERE a = 'x",
        "SELECT * FROM C WHERE a = \"x'",
        "SELECT * FROM C WHERE (a = 1",
        "SELECT * FROM C WHERE a = 1)",
        "SELECT * FROM C WHERE 1 = 1",
        "SELECT * FROM C WHERE a = 12abc",
        "SELECT * FROM C WHERE a == 1",
        "SELECT * FROM C WHERE a = - 'x'",
        "SELECT * FROM C WHERE a LIKE 5",
        "SELECT * FROM C WHERE a IS 5",
        "SELECT * FROM C WHERE a AND b",
        "SELECT * FROM WHERE",
        "SELECT * FROM Select",
        "SELECT * FROM C;",
        "SELECT * FROM C extra",
        "SELECT * FROM C.D",
        "ASSOCIATORS OF {Win32_Process.Handle=1}",
        "SELECT * FROM C WHERE a = 1 AND",
        "SELECT * FROM C WHERE NOT",
    };
    for (const char* text : bad) EXPECT_EQ(ParseCode(W(text)), WBEM_E_INVALID_QUERY) << text;

    WideString binary = W("SELECT * FROM C WHERE a = ");
    binary += u'\0';
    binary += u'\x1';
    EXPECT_EQ(ParseCode(binary), WBEM_E_INVALID_QUERY);
}

TEST(WqlParse, DeepNestingFailsCleanlyAndModerateNestingWorks) {
    WideString deep = W("SELECT * FROM C WHERE ");
    deep += WideString(100000, u'(');
    deep += W("a = 1");
    deep += WideString(100000, u')');
    EXPECT_EQ(ParseCode(deep), WBEM_E_INVALID_QUERY);

    WideString nots = W("SELECT * FROM C WHERE ");
    for (int i = 0; i < 100000; ++i) nots += W("NOT ");
    nots += W("a = 1");
    EXPECT_EQ(ParseCode(nots), WBEM_E_INVALID_QUERY);

    WideString ok = W("SELECT * FROM C WHERE ");
    ok += WideString(50, u'(') + W("NOT a = 1") + WideString(50, u')');
    WqlQueryPtr q;
    ASSERT_EQ(WqlParse(ok, q), S_OK);
    EXPECT_TRUE(q->Matches(Bag{{{"a", Variant(2)}}}));
}

TEST(WqlParse, LongFlatConditionsAndHugeTextStayFast) {
    auto start = std::chrono::steady_clock::now();
    WideString flat = W("SELECT * FROM C WHERE a = 0");
    for (int i = 1; i < 100000; ++i) flat += W(" OR a = ") + W(std::to_string(i).c_str());
    WqlQueryPtr q;
    ASSERT_EQ(WqlParse(flat, q), S_OK);
    EXPECT_TRUE(q->Matches(Bag{{{"a", Variant(99999)}}}));
    EXPECT_FALSE(q->Matches(Bag{{{"a", Variant(100000)}}}));

    EXPECT_EQ(ParseCode(W("SELECT * FROM C WHERE a = '") + WideString(4000000, u'x')), WBEM_E_INVALID_QUERY);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(WqlParse, RandomTextNeverThrows) {
    std::mt19937 rng(1234);
    const char* pieces[] = {"SELECT", "*", "FROM", "C", "WHERE", "a", "=", "'", "\"", "(", ")",
                            "NOT", "AND", "OR", "LIKE", "IS", "NULL", "-", "1.5", ",", "<>", "\\"};
    for (int i = 0; i < 5000; ++i) {
        WideString text;
        int len = static_cast<int>(rng() % 20);
        for (int k = 0; k < len; ++k) {
            if (rng() % 4 == 0)
                text += static_cast<char16_t>(rng() % 0x10000);
            else
                text += W(pieces[rng() % (sizeof pieces / sizeof *pieces)]) + u' ';
        }
        WqlQueryPtr q;
        HRESULT hr = S_FALSE;
        EXPECT_NO_THROW(hr = WqlParse(text, q));
        EXPECT_TRUE(hr == S_OK || hr == WBEM_E_INVALID_QUERY);
        if (q) {
            EXPECT_NO_THROW(q->Matches(Bag{{{"a", Variant(1)}}}));
        }
    }
}

TEST(WqlMatch, NumbersCompareAsNumbersEvenWhenDeliveredAsText) {
    Bag bag{{{"pid", Variant(1234)},
             {"size", Variant(W("10000000000"))},  // uint64 arrives as text
             {"neg", Variant(W("-5"))},
             {"load", Variant(0.25)},
             {"big", Variant(W("18446744073709551615"))}}};
    EXPECT_TRUE(Matches("pid = 1234", bag));
    EXPECT_TRUE(Matches("pid > 999", bag));  // as text "1234" < "999"
    EXPECT_TRUE(Matches("pid = '1234'", bag));
    EXPECT_TRUE(Matches("size > 9999999999", bag));
    EXPECT_TRUE(Matches("size > 900", bag));
    EXPECT_TRUE(Matches("neg < -4", bag));
    EXPECT_TRUE(Matches("neg >= -5.0", bag));
    EXPECT_TRUE(Matches("load < 0.3 AND load > .2", bag));
    EXPECT_TRUE(Matches("big > 9223372036854775807", bag));
    EXPECT_TRUE(Matches("big > -1", bag));
    EXPECT_FALSE(Matches("big < 0", bag));
    EXPECT_TRUE(Matches("pid <> 1 AND pid != 2", bag));
    EXPECT_TRUE(Matches("1000 < pid", bag));
    EXPECT_TRUE(Matches("pid <= 1234 AND pid >= 1234", bag));
}

TEST(WqlMatch, TextIgnoresCaseAndNullsOnlyMatchIsNull) {
    Bag bag{{{"Name", Variant(W("Bash"))}, {"Status", Variant::Null()}, {"On", Variant(true)}}};
    EXPECT_TRUE(Matches("name = 'BASH'", bag));
    EXPECT_TRUE(Matches("NAME = \"bash\"", bag));
    EXPECT_TRUE(Matches("Name < 'c' AND Name > 'BA'", bag));
    EXPECT_FALSE(Matches("Name = 'bas'", bag));

    EXPECT_TRUE(Matches("Status IS NULL", bag));
    EXPECT_FALSE(Matches("Status IS NOT NULL", bag));
    EXPECT_TRUE(Matches("Status = NULL", bag));
    EXPECT_TRUE(Matches("Name <> NULL", bag));
    EXPECT_FALSE(Matches("Status = 'x'", bag));
    EXPECT_FALSE(Matches("Status <> 'x'", bag));
    EXPECT_FALSE(Matches("Status < 1", bag));
    EXPECT_FALSE(Matches("Status LIKE '%'", bag));
    EXPECT_FALSE(Matches("Status NOT LIKE 'x'", bag));
    EXPECT_FALSE(Matches("Unknown = 1", bag));

    EXPECT_TRUE(Matches("On = TRUE", bag));
    EXPECT_TRUE(Matches("On <> false", bag));
    EXPECT_FALSE(Matches("On = FALSE", bag));
    EXPECT_TRUE(Matches("On = 'true'", bag));
}

TEST(WqlMatch, LogicPrecedenceAndStringEscapes) {
    Bag bag{{{"a", Variant(1)}, {"b", Variant(2)}, {"p", Variant(W("it's \"q\""))}}};
    // AND binds tighter than OR.
    EXPECT_TRUE(Matches("a = 1 OR a = 5 AND b = 5", bag));
    EXPECT_FALSE(Matches("(a = 1 OR a = 5) AND b = 5", bag));
    EXPECT_TRUE(Matches("NOT a = 2 AND b = 2", bag));
    EXPECT_FALSE(Matches("NOT (a = 1 OR b = 9)", bag));
    EXPECT_TRUE(Matches("p = 'it\\'s \"q\"'", bag));
    EXPECT_TRUE(Matches("p = \"it's \\\"Q\\\"\"", bag));
}

TEST(WqlLike, Wildcards) {
    EXPECT_TRUE(WqlLike(W("systemd"), W("sys%")));
    EXPECT_TRUE(WqlLike(W("SYSTEMD"), W("%temd")));
    EXPECT_TRUE(WqlLike(W("bash"), W("b_s_")));
    EXPECT_FALSE(WqlLike(W("bash"), W("b_s")));
    EXPECT_TRUE(WqlLike(W(""), W("%")));
    EXPECT_FALSE(WqlLike(W(""), W("_")));
    EXPECT_TRUE(WqlLike(W("c3"), W("[a-d][0-9]")));
    EXPECT_TRUE(WqlLike(W("C3"), W("[a-d][0-9]")));
    EXPECT_FALSE(WqlLike(W("e3"), W("[a-d][0-9]")));
    EXPECT_TRUE(WqlLike(W("e3"), W("[^a-d]3")));
    EXPECT_FALSE(WqlLike(W("b3"), W("[^a-d]3")));
    EXPECT_TRUE(WqlLike(W("50%"), W("50[%]")));
    EXPECT_FALSE(WqlLike(W("500"), W("50[%]")));
    EXPECT_TRUE(WqlLike(W("x]"), W("x[]]")));
    EXPECT_TRUE(WqlLike(W("a[b"), W("a[b")));  // an unclosed bracket is literal
    EXPECT_TRUE(WqlLike(W("abcabcabd"), W("%abd")));

    // Many wildcards against a long text finish quickly (no exponential backtracking).
    auto start = std::chrono::steady_clock::now();
    WideString text(20000, u'a');
    WideString pattern;
    for (int i = 0; i < 200; ++i) pattern += W("%a");
    pattern += W("b");
    EXPECT_FALSE(WqlLike(text, pattern));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    Bag bag{{{"Name", Variant(W("Chrome.exe"))}, {"Id", Variant(42)}}};
    EXPECT_TRUE(Matches("Name LIKE 'chrome%'", bag));
    EXPECT_TRUE(Matches("Name NOT LIKE 'fire%'", bag));
    EXPECT_TRUE(Matches("Id LIKE '4_'", bag));
}

TEST(WqlValue, ParseNumber) {
    EXPECT_EQ(WqlParseNumber(W(" 42 "))->U, 42u);
    EXPECT_EQ(WqlParseNumber(W("-9223372036854775808"))->I, INT64_MIN);
    EXPECT_EQ(WqlParseNumber(W("0x1F"))->U, 31u);
    EXPECT_EQ(WqlParseNumber(W("99999999999999999999"))->NumKind, WqlNumber::Real);
    EXPECT_DOUBLE_EQ(WqlParseNumber(W("1.5e3"))->D, 1500.0);
    for (const char* bad : {"", "-", "abc", "1.2.3", "1e", "0x", "12 34", "0xZZ"})
        EXPECT_FALSE(WqlParseNumber(W(bad)).has_value()) << bad;
}

}  // namespace
}  // namespace veskin
