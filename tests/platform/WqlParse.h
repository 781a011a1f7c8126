#pragma once
// The parsed form of a WQL text for the engine's tests; a text that does not parse
// fails the test and gives null.
#include <gtest/gtest.h>

#include "platform/Wql.h"

namespace veskin {

inline WqlQueryPtr Parse(const char* text) {
    WqlQueryPtr q;
    EXPECT_EQ(WqlParse(W(text), q), S_OK) << text;
    return q;
}

}  // namespace veskin
