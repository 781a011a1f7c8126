#include <gtest/gtest.h>

#include "platform/wsman/WsmanEndpoint.h"

namespace veskin {
namespace {

struct Form {
    const char* Text;
    bool Tls;
    const char* Host;
    int Port;
    const char* Path;
};

TEST(WsmanEndpointTest, AcceptedForms) {
    const Form forms[] = {
        {"server1", false, "server1", 5985, "/wsman"},
        {"server1.corp.example:8080", false, "server1.corp.example", 8080, "/wsman"},
        {"server1:5986", true, "server1", 5986, "/wsman"},
        {"\\\\server1", false, "server1", 5985, "/wsman"},
        {"192.168.1.20", false, "192.168.1.20", 5985, "/wsman"},
        {"fe80::1", false, "fe80::1", 5985, "/wsman"},
        {"[::1]:5985", false, "::1", 5985, "/wsman"},
        {"[::1]", false, "::1", 5985, "/wsman"},
        {"http://server1", false, "server1", 5985, "/wsman"},
        {"http://server1:5986", false, "server1", 5986, "/wsman"},
        {"HTTPS://server1", true, "server1", 5986, "/wsman"},
        {"https://server1:444/other/path", true, "server1", 444, "/other/path"},
        {"https://[::1]:5986/", true, "::1", 5986, "/wsman"},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.Text);
        WsmanEndpoint endpoint;
        ASSERT_TRUE(ParseWsmanEndpoint(form.Text, endpoint));
        EXPECT_EQ(endpoint.Tls, form.Tls);
        EXPECT_EQ(endpoint.Host, form.Host);
        EXPECT_EQ(endpoint.Port, form.Port);
        EXPECT_EQ(endpoint.Path, form.Path);
    }
}

TEST(WsmanEndpointTest, RejectedFormsLeaveTheEndpointAlone) {
    const char* texts[] = {"", ":5985", "server1:", "server1:0", "server1:65536", "server1:12a",
                           "ftp://server1", "server 1", "server1/wsman", "http://", "[::1", "[server1]:5985",
                           "[::1]5985", "1:2:3", "https://server1:99999", "-server1", "ser\tver"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        WsmanEndpoint endpoint;
        endpoint.Host = "unchanged";
        EXPECT_FALSE(ParseWsmanEndpoint(text, endpoint));
        EXPECT_EQ(endpoint.Host, "unchanged");
    }
}

TEST(WsmanEndpointTest, UrlHostHeaderAndAddressKind) {
    WsmanEndpoint endpoint;
    ASSERT_TRUE(ParseWsmanEndpoint("https://[fe80::2]", endpoint));
    EXPECT_EQ(endpoint.Url(), "https://[fe80::2]:5986/wsman");
    EXPECT_EQ(endpoint.HostHeader(), "[fe80::2]:5986");
    EXPECT_TRUE(endpoint.HostIsAddress());

    ASSERT_TRUE(ParseWsmanEndpoint("10.0.0.7:5985", endpoint));
    EXPECT_EQ(endpoint.Url(), "http://10.0.0.7:5985/wsman");
    EXPECT_TRUE(endpoint.HostIsAddress());

    ASSERT_TRUE(ParseWsmanEndpoint("http://host.example/custom", endpoint));
    EXPECT_EQ(endpoint.Url(), "http://host.example:5985/custom");
    EXPECT_EQ(endpoint.HostHeader(), "host.example:5985");
    EXPECT_FALSE(endpoint.HostIsAddress());
}

}  // namespace
}  // namespace veskin
