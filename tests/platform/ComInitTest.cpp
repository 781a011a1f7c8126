#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/ComInit.h"

namespace veskin {
namespace {

TEST(ComInitTest, ThreadInitialisationAnswersOkOnlyTheFirstTime) {
    std::vector<ComCall> calls;
    ComCallObserver old = SetComCallObserver([&calls](const ComCall& c) { calls.push_back(c); });
    HRESULT first = 0, second = 0, plain = 0;
    std::thread([&] {
        first = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        second = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        plain = CoInitialize(nullptr);
    }).join();
    HRESULT otherThread = 0;
    std::thread([&] { otherThread = CoInitialize(nullptr); }).join();
    SetComCallObserver(old);

    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(second, S_FALSE);
    EXPECT_EQ(plain, S_FALSE);
    EXPECT_EQ(otherThread, S_OK);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].Name, "CoInitializeEx");
    EXPECT_EQ(calls[0].Args[0], 2);
    EXPECT_EQ(calls[2].Name, "CoInitialize");
}

TEST(ComInitTest, SecurityCanBeSetOnceAndCallsAreRecorded) {
    std::vector<ComCall> calls;
    ComCallObserver old = SetComCallObserver([&calls](const ComCall& c) { calls.push_back(c); });
    HRESULT first = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    HRESULT second = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr);
    // Removing the observer stops the recording.
    SetComCallObserver(old);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr);

    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(second, RPC_E_TOO_LATE);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Name, "CoInitializeSecurity");
    EXPECT_EQ(calls[0].Args[0], -1);
    EXPECT_EQ(calls[0].Args[1], 0);
    EXPECT_EQ(calls[0].Args[2], 3);
    EXPECT_EQ(calls[0].Args[3], 0);
}

}  // namespace
}  // namespace veskin
