// The wire codec and the download path rules: what both ends rely on to
// treat the other as hostile.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/le_bytes.h"
#include "platform/paths.h"
#include "veknet/download_path.h"
#include "veknet/protocol.h"

namespace veknet {
namespace {

WireTime T(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return WireTime{static_cast<uint16_t>(y), static_cast<uint8_t>(mo), static_cast<uint8_t>(d),
                    static_cast<uint8_t>(h),  static_cast<uint8_t>(mi), static_cast<uint8_t>(s)};
}

// What a reader makes of encoded bytes: the header must parse and the body
// is taken as it stands.
Message Decode(const std::vector<uint8_t>& bytes) {
    Header h;
    EXPECT_TRUE(ParseHeader(bytes.data(), &h));
    EXPECT_EQ(h.length, bytes.size() - kHeaderSize);
    Message m;
    m.type = h.type;
    m.sequence = h.sequence;
    m.body.assign(bytes.begin() + kHeaderSize, bytes.end());
    return m;
}

std::vector<uint8_t> Frame(char type, uint32_t payload) {
    std::vector<uint8_t> f(media::kFrameHeaderSize + payload, 0x5A);
    std::memcpy(f.data(), "VkFm", 4);
    f[4] = static_cast<uint8_t>(type);
    platform::PutU32(f.data() + 12, payload);
    return f;
}

TEST(Protocol, BodiesSurviveTheWire) {
    LoginBody login{"admin", "s3cret"}, login2;
    ASSERT_TRUE(ReadLogin(Decode(Encode(MakeLogin(login))), &login2));
    EXPECT_EQ(login2.user, "admin");
    EXPECT_EQ(login2.password, "s3cret");

    const QueryBody query{kQueryMonth, 0b1010, T(2024, 3, 1), T(2024, 3, 31, 23, 59, 59)};
    const Message qm = Decode(Encode(MakeQuery(77, query)));
    QueryBody query2;
    ASSERT_TRUE(ReadQuery(qm, &query2));
    EXPECT_EQ(qm.sequence, 77u);
    EXPECT_EQ(query2.selector, 0b1010u);
    EXPECT_EQ(query2.end, query.end);

    const LoginReplyBody reply{kStatusLoggedIn, 0xABCD1234, 4, "Depot 7"};
    LoginReplyBody reply2;
    ASSERT_TRUE(ReadLoginReply(Decode(Encode(MakeLoginReply(reply))), &reply2));
    EXPECT_EQ(reply2.session, 0xABCD1234u);
    EXPECT_EQ(reply2.channels, 4);
    EXPECT_EQ(reply2.deviceName, "Depot 7");

    std::vector<WireItem> items(3);
    items[2] = {2, T(2024, 3, 5, 9, 10), T(2024, 3, 5, 9, 10, 10), 128, 123456};
    std::vector<WireItem> items2;
    ASSERT_TRUE(ReadQueryReply(Decode(Encode(MakeQueryReply(5, items))), &items2));
    ASSERT_EQ(items2.size(), 3u);
    EXPECT_EQ(items2[2].type, 128);
    EXPECT_EQ(items2[2].length, 123456u);
    EXPECT_EQ(items2[2].end, T(2024, 3, 5, 9, 10, 10));

    OpenBody open{9, 3, T(2024, 3, 5), T(2024, 3, 5, 23, 59, 59)}, open2;
    ASSERT_TRUE(ReadOpen(Decode(Encode(MakeOpen(kDownloadOpen, open))), &open2));
    EXPECT_EQ(open2.channel, 3u);
    SeekBody seek{4, T(2024, 3, 5, 11, 5, 3), T(2024, 3, 5, 23, 59, 59)}, seek2;
    ASSERT_TRUE(ReadSeek(Decode(Encode(MakeSeek(seek))), &seek2));
    EXPECT_EQ(seek2.position, seek.position);
    CreditBody credit{4, 65536}, credit2;
    ASSERT_TRUE(ReadCredit(Decode(Encode(MakeCredit(credit))), &credit2));
    EXPECT_EQ(credit2.bytes, 65536u);
    OpenReplyBody opened{OpenResult::kNoRecord, 1ull << 40}, opened2;
    ASSERT_TRUE(ReadOpenReply(Decode(Encode(MakeOpenReply(opened))), &opened2));
    EXPECT_EQ(opened2.result, OpenResult::kNoRecord);
    EXPECT_EQ(opened2.total, 1ull << 40);

    const std::vector<uint8_t> f = Frame('I', 1000);
    FrameView view;
    const Message fm = Decode(Encode(MakeFrame(6, f.data(), static_cast<uint32_t>(f.size()))));
    ASSERT_TRUE(ReadFrame(fm, &view));
    EXPECT_EQ(view.epoch, 6u);
    EXPECT_EQ(std::vector<uint8_t>(view.frame, view.frame + view.size), f);
    uint32_t epoch = 0;
    EXPECT_TRUE(ReadEnd(Decode(Encode(MakeEnd(6))), &epoch));
    EXPECT_EQ(epoch, 6u);
    EXPECT_TRUE(ReadEmpty(Decode(Encode(MakeEmpty(kPong)))));
}

// A header is refused before its body is read: the reader never allocates
// for a length its type cannot have.
TEST(Protocol, RefusesHeadersBeforeTheirBodies) {
    const std::vector<uint8_t> good = Encode(MakeEmpty(kPing));
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        int bytes;
    };
    const Case cases[] = {
        {"magic", 0, 0x744E6B57, 4},
        {"version", 4, 2, 2},
        {"type 0", 6, 0, 2},
        {"type between ranges", 6, 0x40, 2},
        {"type past the last", 6, 0x87, 2},
        {"ping with a body", 12, 1, 4},
        {"length 4 GB", 12, 0xFFFFFFFF, 4},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        if (c.bytes == 4)
            platform::PutU32(bad.data() + c.at, c.value);
        else
            platform::PutU16(bad.data() + c.at, static_cast<uint16_t>(c.value));
        Header h;
        EXPECT_FALSE(ParseHeader(bad.data(), &h)) << c.what;
    }
    // Every type's limit holds exactly: one byte more is refused.
    for (uint16_t type : {kLogin, kQuery, kPlaySeek, kLoginReply, kQueryReply, kOpenReply, kFrame, kEnd}) {
        std::vector<uint8_t> head = good;
        platform::PutU16(head.data() + 6, type);
        platform::PutU32(head.data() + 12, MaxBody(type));
        Header h;
        EXPECT_TRUE(ParseHeader(head.data(), &h)) << type;
        platform::PutU32(head.data() + 12, MaxBody(type) + 1);
        EXPECT_FALSE(ParseHeader(head.data(), &h)) << type;
    }
    EXPECT_EQ(MaxBody(kFrame), 4 + 512000u);
}

// The sender keeps the same limits as the reader: a body its type cannot
// carry is not encoded at all, rather than sent for the other end to refuse.
TEST(Protocol, EncodesNoBodyOverItsTypesLimit) {
    struct Case {
        const char* what;
        uint16_t type;
        size_t body;
        bool encoded;
    };
    const Case cases[] = {
        {"frame at its limit", kFrame, 4 + 512000, true},
        {"frame one byte over", kFrame, 4 + 512001, false},
        {"ping with a body", kPing, 1, false},
        {"unknown type", 0x40, 0, false},
    };
    for (const Case& c : cases) {
        Message m;
        m.type = c.type;
        m.body.assign(c.body, 0x5A);
        const std::vector<uint8_t> bytes = Encode(m);
        EXPECT_EQ(bytes.empty(), !c.encoded) << c.what;
        if (c.encoded) {
            EXPECT_EQ(Decode(bytes).body, m.body) << c.what;
        }
    }
}

TEST(Protocol, RefusesBodiesThatDoNotAddUp) {
    Message login = MakeLogin({"admin", "admin"});
    LoginBody lb;
    login.body.pop_back();
    EXPECT_FALSE(ReadLogin(login, &lb)) << "short";
    login = MakeLogin({"admin", "admin"});
    login.body.push_back(0);
    EXPECT_FALSE(ReadLogin(login, &lb)) << "long";
    login.body = {33};  // a user name longer than allowed
    login.body.resize(1 + 33 + 1, 'x');
    EXPECT_FALSE(ReadLogin(login, &lb)) << "string over its limit";

    // A count that the bytes do not carry, and one over the limit.
    std::vector<WireItem> items(2);
    Message reply = MakeQueryReply(1, items);
    std::vector<WireItem> got;
    platform::PutU32(reply.body.data(), 3);
    EXPECT_FALSE(ReadQueryReply(reply, &got));
    platform::PutU32(reply.body.data(), kMaxItems + 1);
    EXPECT_FALSE(ReadQueryReply(reply, &got));
    EXPECT_EQ(MakeQueryReply(1, std::vector<WireItem>(kMaxItems + 5)).body.size(), MaxBody(kQueryReply))
        << "a recorder's longer list is cut to the limit";

    OpenReplyBody ob;
    Message open = MakeOpenReply({});
    platform::PutU32(open.body.data(), 4);  // no such result
    EXPECT_FALSE(ReadOpenReply(open, &ob));
}

TEST(Protocol, RefusesFramesThatAreNotWhole) {
    const std::vector<uint8_t> good = Frame('P', 100);
    FrameView view;
    auto read = [&](std::vector<uint8_t> f) {
        return ReadFrame(MakeFrame(1, f.data(), static_cast<uint32_t>(f.size())), &view);
    };
    EXPECT_TRUE(read(good));
    std::vector<uint8_t> f = good;
    f[0] = 'X';
    EXPECT_FALSE(read(f)) << "magic";
    f = good;
    f[4] = 'Q';
    EXPECT_FALSE(read(f)) << "type letter";
    f = good;
    f.pop_back();
    EXPECT_FALSE(read(f)) << "shorter than its length field";
    f = good;
    platform::PutU32(f.data() + 12, 0xFFFFFFF0);
    EXPECT_FALSE(read(f)) << "length field near 2^32";
    EXPECT_FALSE(read(std::vector<uint8_t>(good.begin(), good.begin() + 39))) << "not even a header";
    Message empty = MakeFrame(1, nullptr, 0);
    EXPECT_FALSE(ReadFrame(empty, &view));
}

TEST(Protocol, TimesCountSecondsOnTheCalendar) {
    for (const WireTime& t :
         {T(2000, 1, 1), T(2024, 2, 29, 23, 59, 59), T(2063, 12, 31, 12, 0, 1), T(1970, 1, 1)})
        EXPECT_EQ(WireTime::FromSeconds(t.Seconds()), t);
    EXPECT_EQ(T(1970, 1, 2).Seconds(), 86400);
    EXPECT_EQ(T(2024, 3, 1).Seconds() - T(2024, 2, 28).Seconds(), 2 * 86400) << "leap day";
    EXPECT_TRUE(T(2024, 3, 5, 23, 59, 59).Valid());
    EXPECT_FALSE(T(65535, 255, 255).Valid()) << "the program's 'no date'";
    EXPECT_FALSE(T(2024, 3, 5, 24, 0, 0).Valid());
    EXPECT_FALSE(T(2024, 0, 5).Valid());
}

TEST(DownloadPath, FormatsThePathTheProgramFilesUnder) {
    char out[VEKNET_MAX_PATH];
    const NetRecordTime start{2024, 3, 5, 9, 5, 0, 0}, end{2024, 3, 5, 9, 5, 10, 0};
    ASSERT_TRUE(
        FormatDownloadTarget("D:/DVR/Download", "192.168.1.20", 1, start, end, ".avi", out, sizeof out));
    const char s = platform::kPathSeparator;
    EXPECT_EQ(std::string(out), std::string("D:/DVR/Download") + s + "192.168.1.20" + s + "CH01" + s +
                                    "20240305" + s + "090500-090510.avi");

    for (const char* host : {"", "10.0.0.1/x", "10.0.0.1\\x", "..", "a..b", "C:", "bad\tname"})
        EXPECT_FALSE(FormatDownloadTarget("D:/DVR", host, 1, start, end, ".264", out, sizeof out)) << host;
    EXPECT_FALSE(FormatDownloadTarget("D:/DVR", "host", 100, start, end, ".264", out, sizeof out));
    // Too long for the buffer: refused, never cut.
    const std::string deep(240, 'd');
    EXPECT_FALSE(FormatDownloadTarget(deep.c_str(), "192.168.1.20", 1, start, end, ".avi", out, sizeof out));
    EXPECT_STREQ(out, "");
}

TEST(DownloadPath, AcceptsOnlyBoundedTargetsThatStayPut) {
    std::string path;
    EXPECT_TRUE(AcceptTargetPath("/tmp/rec/CH01/x..y.264", &path));
    EXPECT_EQ(path, "/tmp/rec/CH01/x..y.264");
    for (const char* bad : {"", "../x.264", "/tmp/../x.264", "C:\\rec\\..\\x.avi", "/tmp/rec/.."})
        EXPECT_FALSE(AcceptTargetPath(bad, &path)) << bad;
    EXPECT_FALSE(AcceptTargetPath(nullptr, &path));
    char unterminated[VEKNET_MAX_PATH];
    std::memset(unterminated, 'a', sizeof unterminated);
    EXPECT_FALSE(AcceptTargetPath(unterminated, &path));
    unterminated[VEKNET_MAX_PATH - 1] = '\0';
    EXPECT_TRUE(AcceptTargetPath(unterminated, &path));
    EXPECT_TRUE(IsAviTarget("x.AVI"));
    EXPECT_FALSE(IsAviTarget("x.264"));
    EXPECT_FALSE(IsAviTarget("avi"));
}

}  // namespace
}  // namespace veknet
