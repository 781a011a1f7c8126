// Queries hand their key equalities and select lists to the providers, which read
// only what is needed; results are the same as filtering every instance.
#include <gtest/gtest.h>

#include "platform/WbemQueryRun.h"
#include "platform/native/ProcessProvider.h"
#include "tests/platform/NativeTestSupport.h"
#include "tests/platform/WqlParse.h"

namespace veskin {
namespace {

// "A=1,2;B='x'" for a query's required values.
std::string RequiredText(const char* where) {
    std::string text;
    for (const auto& [name, values] : Parse((std::string("SELECT * FROM C WHERE ") + where).c_str())->RequiredValues()) {
        if (!text.empty()) text += ";";
        text += WideToAnsi(name) + "=";
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i) text += ",";
            const std::string v = WideToAnsi(values[i].Text);
            text += values[i].Quoted ? "'" + v + "'" : v;
        }
    }
    return text;
}

TEST(WqlRequired, OnlyWhatTheConditionCannotBeTrueWithout) {
    EXPECT_EQ(RequiredText("A = 1"), "A=1");
    EXPECT_EQ(RequiredText("'x' = B AND A = 1"), "A=1;B='x'");
    EXPECT_EQ(RequiredText("A = 1 OR a = 2 OR (A = '3' AND B = 4)"), "A=1,2,'3'");
    EXPECT_EQ(RequiredText("A = 1 OR B = 2"), "");
    EXPECT_EQ(RequiredText("NOT A = 1"), "");
    EXPECT_EQ(RequiredText("A <> 1 AND A > 2 AND A LIKE '1' AND A IS NULL AND A = NULL AND A = TRUE"), "");
    EXPECT_EQ(RequiredText("A = B"), "");
    EXPECT_EQ(RequiredText("(A = 1 OR A = 2) AND C = 'z'"), "A=1,2;C='z'");
    EXPECT_EQ(Parse("SELECT * FROM C")->RequiredValues().size(), 0u);
}

TEST(NativeQueryHint, HintsCarryKeysAndWhatTheQueryReads) {
    const WbemClassPtr cls = ProcessClass();
    WbemQueryHint hint = QueryHint(*Parse("SELECT Name FROM Win32_Process WHERE processid = 42 AND Name = 'bash'"), *cls);
    ASSERT_TRUE(hint.RequiredValues(u"ProcessId"));
    EXPECT_EQ(*hint.RequiredValues(u"ProcessId"), std::vector<WideString>{u"42"});
    EXPECT_TRUE(hint.Wants(u"NAME"));
    EXPECT_TRUE(hint.Wants(u"ProcessId"));  // WHERE reads it too
    EXPECT_FALSE(hint.Wants(u"ThreadCount"));
    // A number against a text property may match text that differs ("05" = 5).
    EXPECT_FALSE(QueryHint(*Parse("SELECT * FROM Win32_Process WHERE Name = 5"), *cls).RequiredValues(u"Name"));
    EXPECT_TRUE(QueryHint(*Parse("SELECT * FROM Win32_Process"), *cls).Wants(u"ThreadCount"));

    const ProcessReads nameOnly = ProcessReads::For(hint);
    EXPECT_FALSE(nameOnly.Status || nameOnly.Io || nameOnly.OpenFiles);
    ASSERT_TRUE(nameOnly.Names);
    const ProcessReads threads = ProcessReads::For(QueryHint(*Parse("SELECT ThreadCount FROM Win32_Process"), *cls));
    EXPECT_TRUE(threads.Status);
    EXPECT_FALSE(threads.Io || threads.OpenFiles || threads.Names);

    // The processes to read: the named ones (present or not), else the whole listing.
    const SystemFiles files(FixtureRoot("native-basic"));
    auto ids = [&](const char* where) {
        return ProcessIdsFor(files, QueryHint(*Parse((std::string("SELECT * FROM Win32_Process WHERE ") + where).c_str()), *cls));
    };
    EXPECT_EQ(ids("ProcessId = 42"), std::vector<std::uint32_t>{42});
    EXPECT_EQ(ids("Handle = '77' OR Handle = '42' OR Handle = '77'"), (std::vector<std::uint32_t>{42, 77}));
    EXPECT_EQ(ids("ProcessId = 123456"), std::vector<std::uint32_t>{123456});
    EXPECT_EQ(ids("ProcessId = 42.0"), files.NumericEntries("proc"));
    EXPECT_EQ(ids("ProcessId > 42"), files.NumericEntries("proc"));
}

TEST(NativeQueryHint, ResultsAreThoseOfFilteringEveryInstance) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto all = All(s.Services, "SELECT * FROM Win32_Process");
    ASSERT_GE(all.size(), 3u);
    // Each condition, answered with the hint, against the engine's own filtering of
    // the full listing (a condition the hint cannot narrow).
    for (const char* where :
         {"ProcessId = 42", "Handle = '42'", "ProcessId = '042'", "ProcessId = 42.0", "ProcessId = 1 OR ProcessId = 42",
          "ProcessId = 999999", "Name = 'SYSTEMD'", "Name = 'averyveryverylongprocessname' AND ProcessId = 300",
          "Name = 'nosuch'", "Handle = '42' AND ProcessId = 1"}) {
        const auto hinted = All(s.Services, (std::string("SELECT * FROM Win32_Process WHERE ") + where).c_str());
        const auto filtered =
            All(s.Services, (std::string("SELECT * FROM Win32_Process WHERE (") + where + ") AND Priority >= 0").c_str());
        ASSERT_EQ(hinted.size(), filtered.size()) << where;
        for (std::size_t i = 0; i < hinted.size(); ++i)
            for (const auto& def : hinted[i]->Class()->Properties()) {
                const std::string name = WideToAnsi(def.Name);
                EXPECT_EQ(Val(hinted[i], name.c_str()), Val(filtered[i], name.c_str())) << where << " " << name;
            }
    }
    // A select list reads less but gives the same values for what it holds.
    auto slim = All(s.Services, "SELECT ThreadCount, Name, HandleCount FROM Win32_Process WHERE ProcessId = 1");
    auto full = All(s.Services, "SELECT * FROM Win32_Process WHERE ProcessId = 1");
    ASSERT_EQ(slim.size(), 1u);
    ASSERT_EQ(full.size(), 1u);
    for (const char* name : {"ThreadCount", "Name", "HandleCount"}) EXPECT_EQ(Val(slim[0], name), Val(full[0], name)) << name;
    EXPECT_NE(Val(slim[0], "HandleCount"), "<null>");

    // Get of a path reads just that process.
    ISWbemObjectPtr got;
    ASSERT_EQ(s.Services->Get(u"Win32_Process.Handle=\"42\"", 0, nullptr, got), S_OK);
    EXPECT_EQ(Val(std::dynamic_pointer_cast<WbemObject>(got), "ProcessId"), "42");
    EXPECT_EQ(s.Services->Get(u"Win32_Process.Handle=\"4242\"", 0, nullptr, got), WBEM_E_NOT_FOUND);
}

}  // namespace
}  // namespace veskin
