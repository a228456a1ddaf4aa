// The IP history's text form and its order: what a file reads as, what is
// written back, and where a login puts its recorder.
#include <gtest/gtest.h>

#include <string>

#include "app/ip_history.h"

namespace {

TEST(IpHistoryParse, LinesOfEitherEndingAndOddLines) {
    const IpPortList entries = ParseIpHistory(
        "10.0.0.1 8000\r\n"
        "\r\n"
        "no-blank-line\n"
        "192.168.1.9 9000 extra words\n"
        " 7000\n"
        "host.example 81");  // no line end at all
    const IpPortList expected = {
        {"10.0.0.1", "8000"}, {"192.168.1.9", "9000 extra words"}, {"", "7000"}, {"host.example", "81"}};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(ParseIpHistory("").empty());
    EXPECT_TRUE(ParseIpHistory("\n\r\n\n").empty());
}

TEST(IpHistoryParse, HostileSizesAreBounded) {
    std::string many;
    for (size_t i = 0; i < kIpHistoryMaxEntries + 10; i++)
        many += "1.2.3.4 80\n";
    EXPECT_EQ(ParseIpHistory(many).size(), kIpHistoryMaxEntries);

    std::string huge(kIpHistoryMaxBytes, 'x');
    huge += " 80\n";  // its blank lies past what is read
    EXPECT_TRUE(ParseIpHistory(huge).empty());
}

TEST(IpHistoryFormat, ListOrderWithCrLfAndReadsBackTheSame) {
    const IpPortList entries = {{"10.0.0.2", "8000"}, {"10.0.0.1", "9000 x"}};
    const std::string text = FormatIpHistory(entries);
    EXPECT_EQ(text, "10.0.0.2 8000\r\n10.0.0.1 9000 x\r\n");
    EXPECT_EQ(ParseIpHistory(text), entries);
    EXPECT_EQ(FormatIpHistory({}), "");
}

// Logins to A, B, C, D, then B again and E: each login puts its recorder
// first and leaves the others in their order, through any number of write and
// read rounds (as the login form does: add, write, read back).
TEST(IpHistoryOrder, MostRecentFirstAcrossFileRounds) {
    IpPortList entries;
    for (const char* ip : {"A", "B", "C", "D", "B", "E"}) {
        AddIpPortEntry(entries, ip, 8000);
        entries = ParseIpHistory(FormatIpHistory(entries));
    }
    const IpPortList expected = {{"E", "8000"}, {"B", "8000"}, {"D", "8000"}, {"C", "8000"}, {"A", "8000"}};
    EXPECT_EQ(entries, expected);
}

TEST(IpHistoryOrder, AddReplacesThePortOfTheFirstExactMatchOnly) {
    IpPortList entries = {{"a.host", "1"}, {"A.HOST", "2"}, {"a.host", "3"}};
    AddIpPortEntry(entries, "a.host", 9000);
    const IpPortList expected = {{"a.host", "9000"}, {"A.HOST", "2"}, {"a.host", "3"}};
    EXPECT_EQ(entries, expected);
    AddIpPortEntry(entries, "new", -1);
    EXPECT_EQ(entries.front(), (IpPortEntry{"new", "-1"}));
}

}  // namespace
