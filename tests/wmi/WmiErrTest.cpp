#include "wmi/WmiErr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "platform/SystemMessages.h"
#include "wmi/WmiErrCatalogue.h"

namespace veskin {
namespace {

std::int32_t Code(std::uint32_t v) { return static_cast<std::int32_t>(v); }

// The catalogue's code ranges, as the result-code documentation lists them.
bool InCatalogueRanges(std::uint32_t c) {
    return (c >= 0x80041001u && c <= 0x80041049u) || (c >= 0x80041050u && c <= 0x8004105Du) ||
           (c >= 0x8004105Fu && c <= 0x8004107Au) || (c >= 0x80041080u && c <= 0x80041087u) ||
           c == 0x80042001u || c == 0x80042002u || c == 0x80043001u || c == 0x80043002u;
}

TEST(WmiErr, CatalogueHoldsExactlyTheListedCodesInOrder) {
    ASSERT_EQ(WmiErrorCatalogueCount, 127u);
    std::set<std::uint32_t> seen;
    for (std::size_t i = 0; i < WmiErrorCatalogueCount; ++i) {
        const auto c = static_cast<std::uint32_t>(WmiErrorCatalogue[i].Code);
        EXPECT_TRUE(InCatalogueRanges(c)) << std::hex << c;
        EXPECT_TRUE(seen.insert(c).second) << std::hex << c;
        if (i > 0) {
            EXPECT_LT(static_cast<std::uint32_t>(WmiErrorCatalogue[i - 1].Code), c);
        }
        ASSERT_NE(WmiErrorCatalogue[i].Text, nullptr);
        EXPECT_NE(std::string(WmiErrorCatalogue[i].Text), "");
    }
    // Every code of the ranges is found by the lookup, and the gaps are not.
    int found = 0;
    for (std::uint32_t c = 0x80041000u; c <= 0x80043003u; ++c)
        if (WmiCatalogueText(Code(c)) != nullptr) {
            EXPECT_TRUE(InCatalogueRanges(c)) << std::hex << c;
            ++found;
        }
    EXPECT_EQ(found, 127);
}

TEST(WmiErr, CatalogueTextsAreWordForWord) {
    EXPECT_EQ(WmiErrorText(Code(0x80041001u)), "80041001: The call failed.");
    EXPECT_EQ(WmiErrorText(Code(0x80041010u)), "80041010: The specified class is not valid.");
    EXPECT_EQ(WmiErrorText(Code(0x80041048u)), "80041048: The specified class is not supported.");
    EXPECT_EQ(WmiErrorText(Code(0x80041044u)), "80041044: Reserved for future use.");
    EXPECT_EQ(WmiErrorText(Code(0x80043001u)), "80043001: Reserved for future use: WBEM_E_RETRY_LATER");
    EXPECT_EQ(WmiErrorText(Code(0x80041087u)),
              "80041087: Windows XP: The user attempted to set a computer name or domain without an "
              "encrypted connection.");
    // Run-together sentences keep their missing blanks.
    EXPECT_EQ(WmiErrorText(Code(0x80041012u)),
              "80041012: A provider referenced in the schema has an incorrect or incomplete registration. "
              "This error may be caused by any of the following:A missing #pragma namespace command in the "
              "MOF file used to register the provider, resulting in the provider being registered in the "
              "wrong WMI namespace.A corrupt repository, which may be fixed by deleting it and recompiling "
              "the MOF file.");
    EXPECT_EQ(WmiErrorText(Code(0x8004105Fu)),
              "8004105F: An event provider registration query ( __EventProviderRegistration) did not "
              "specify the classes for which events were provided.");
    EXPECT_EQ(WmiErrorText(Code(0x80043002u)), "80043002: Reserved for future use: WBEM_E_RESOURCE_CONTENTION");
}

TEST(WmiErr, CodesOutsideTheCatalogueTakeTheSystemTextTrimmed) {
    // The system's text loses its trailing full stop and line break.
    ASSERT_EQ(SystemMessageText(5), "Access is denied.\r\n");
    EXPECT_EQ(WmiErrorText(5), "00000005: Access is denied");
    EXPECT_EQ(WmiErrorText(Code(0x80070005u)), "80070005: Access is denied");
    EXPECT_EQ(WmiErrorText(Code(0x800706BAu)), "800706BA: The RPC server is unavailable");
    EXPECT_EQ(WmiErrorText(Code(0x80040154u)), "80040154: Class not registered");
    // Gap codes and unknown codes: the system text, which may be empty.
    for (std::uint32_t gap : {0x8004104Au, 0x8004104Fu, 0x8004105Eu, 0x8004107Bu, 0x8004107Fu}) {
        std::string expected = SystemMessageText(Code(gap));
        while (!expected.empty() && (static_cast<unsigned char>(expected.back()) <= 32 || expected.back() == '.'))
            expected.pop_back();
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08X", gap);
        EXPECT_EQ(WmiErrorText(Code(gap)), std::string(digits) + ": " + expected);
    }
    EXPECT_EQ(WmiErrorText(Code(0x7FFFFFF3u)), "7FFFFFF3: ");
    EXPECT_EQ(WmiErrorText(Code(0xFFFFFFFFu)).substr(0, 10), "FFFFFFFF: ");
}

TEST(WmiErr, CheckRaisesOnlyForNegativeCodes) {
    EXPECT_TRUE(WmiSucceeded(0));
    EXPECT_TRUE(WmiSucceeded(1));
    EXPECT_TRUE(WmiSucceeded(0x7FFFFFFF));
    EXPECT_FALSE(WmiSucceeded(Code(0x80000000u)));
    EXPECT_NO_THROW(WmiCheck(0));
    EXPECT_NO_THROW(WmiCheck(1));
    EXPECT_THROW(WmiCheck(Code(0x80000000u)), TWmiException);

    try {
        WmiCheck(Code(0x80041003u));
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, -2147217405);
        EXPECT_EQ(e.Message(), "80041003: The current user does not have permission to perform the action.");
        // It is the library's exception and the framework's general one.
        const Exception& base = e;
        EXPECT_STREQ(base.what(), e.Message().c_str());
    }
    TWmiException own("Unsupported CIM data type: 0");
    EXPECT_EQ(own.ErrorCode, 0);
    EXPECT_EQ(own.Message(), "Unsupported CIM data type: 0");
}

}  // namespace
}  // namespace veskin
