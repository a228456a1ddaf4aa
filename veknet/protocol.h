// veknet/protocol.h
//
// The wire protocol between VekNet and a recorder, one codec for both ends
// (the library and tools/simrecorder).
//
// Connections. A login opens the control connection: Login, then Query and
// Ping for as long as the login lasts. Remote play and download each open a
// connection of their own that starts with PlayOpen or DownloadOpen carrying
// the session number of the login's reply; the recorder answers OpenReply and
// then streams Frame messages and one End. A stream never shares its
// connection, so a paused play holds back only itself.
//
// Framing. Every message is a 16-byte header and a body:
//
//   0   u32  magic "VkNt"
//   4   u16  version, 1
//   6   u16  type (below)
//   8   u32  sequence: a Query's number, echoed by its QueryReply; 0 elsewhere
//   12  u32  body length, at most the type's limit (kMaxBody)
//
// A header with another magic or version, an unknown type or a body over its
// type's limit is malformed: the reader stops there and the connection is
// closed without reading the body, so nothing the peer sends makes the reader
// allocate more than the largest body (a frame). Bodies are decoded field by
// field and must be consumed exactly; a short or long body is malformed too.
//
// Fields are little endian. A string is a u8 length and that many bytes, no
// NUL. A time is 8 bytes: u16 year (full, 2024), u8 month, day, hour, minute,
// second, and a zero byte.
//
//   client -> recorder
//   1  Login         str user (<= 32), str password (<= 32)
//   2  Query         u32 command (101 day, 102 month), u32 selector (day: the
//                    channel; month: a bit per channel), time start, time end
//   3  Ping          (empty) every 2 s; the recorder answers Pong
//   4  PlayOpen      u32 session, u32 channel, time start, time end
//   5  PlaySeek      u32 epoch, time position, time end: play continues at the
//                    position; frames of older epochs still under way are dropped
//   6  PlayCredit    u32 epoch, u32 bytes: frame bytes of that epoch the client
//                    has handed on (the recorder keeps at most kPlayWindow
//                    unacknowledged bytes under way)
//   7  DownloadOpen  u32 session, u32 channel, time start, time end: the record
//                    of the channel that starts at `start`
//
//   recorder -> client
//   0x81 LoginReply  u32 status (101 logged in, 103 no such user, 104 wrong
//                    password, 106 no permission), u32 session (non-zero with
//                    101), u8 channel count, str device name (<= 121)
//   0x82 QueryReply  u32 count (<= kMaxItems), count items of 28 bytes: u32
//                    word, time start, time end, i32 record type, u32 length
//   0x83 Pong        (empty)
//   0x84 OpenReply   u32 result (OpenResult), u64 bytes the stream will carry
//   0x85 Frame       u32 epoch (0 for a download), one whole recorder frame:
//                    the 40-byte "VkFm" header whose length field (+12) gives
//                    the payload that follows; 40 to 512,000 bytes
//   0x86 End         u32 epoch: no more frames for this epoch (or download)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/frame_header.h"

namespace veknet {

inline constexpr uint32_t kMagic = 0x744E6B56;  // "VkNt" as its little-endian word
inline constexpr uint16_t kVersion = 1;
inline constexpr size_t kHeaderSize = 16;

enum MessageType : uint16_t {
    kLogin = 1,
    kQuery = 2,
    kPing = 3,
    kPlayOpen = 4,
    kPlaySeek = 5,
    kPlayCredit = 6,
    kDownloadOpen = 7,
    kLoginReply = 0x81,
    kQueryReply = 0x82,
    kPong = 0x83,
    kOpenReply = 0x84,
    kFrame = 0x85,
    kEnd = 0x86,
};

// Limits of what either end accepts.
inline constexpr size_t kMaxCredential = 32;   // user name, password
inline constexpr size_t kMaxDeviceName = 121;  // fits the device information buffer before byte 166
inline constexpr uint32_t kMaxItems = 1024;    // records of one query reply
inline constexpr uint32_t kItemSize = 28;
inline constexpr uint32_t kPlayWindow = 1u << 20;

// Query commands and login statuses, as the program knows them.
inline constexpr uint32_t kQueryDay = 101;
inline constexpr uint32_t kQueryMonth = 102;
inline constexpr uint32_t kStatusLoggedIn = 101;
inline constexpr uint32_t kStatusNoUser = 103;
inline constexpr uint32_t kStatusBadPassword = 104;
inline constexpr uint32_t kStatusConnectFailed = 105;
inline constexpr uint32_t kStatusNoPermission = 106;
inline constexpr uint32_t kStatusLinkLost = 2;

enum class OpenResult : uint32_t {
    kOk = 0,
    kNoSession = 1,   // the session number belongs to no live login
    kNoRecord = 2,    // nothing recorded in the range (play), no record at the start (download)
    kBadRequest = 3,  // a channel or time out of range
};

// Largest body of a message type; 0 for an unknown type (which is malformed).
uint32_t MaxBody(uint16_t type);

struct Header {
    uint16_t type = 0;
    uint32_t sequence = 0;
    uint32_t length = 0;
};

// False when the 16 bytes are not the header of a message this protocol
// knows, or announce a body over its type's limit.
bool ParseHeader(const uint8_t* bytes, Header* out);

struct Message {
    uint16_t type = 0;
    uint32_t sequence = 0;
    std::vector<uint8_t> body;
};

// Header and body, ready to send; empty when the type is unknown or the body
// is over its type's limit (the other end would refuse it).
std::vector<uint8_t> Encode(const Message& message);

// A time as it travels. Nothing is checked on decoding; Valid() tells a
// calendar time (month 1-12, day 1-31, hour < 24, minute and second < 60).
struct WireTime {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;

    bool Valid() const;
    // Seconds since 1970-01-01 00:00:00 of the time read as UTC (a valid time).
    int64_t Seconds() const;
    static WireTime FromSeconds(int64_t seconds);
    friend bool operator==(const WireTime&, const WireTime&) = default;
};

struct WireItem {
    uint32_t word = 0;
    WireTime start;
    WireTime end;
    int32_t type = 0;
    uint32_t length = 0;
};

// ---- bodies ----------------------------------------------------------------------
// Each Make* builds a message; each Read* decodes a body and is false when it
// is malformed (short, long, or a length or count over its limit).

struct LoginBody {
    std::string user;
    std::string password;
};
struct QueryBody {
    uint32_t command = 0;
    uint32_t selector = 0;
    WireTime start;
    WireTime end;
};
struct LoginReplyBody {
    uint32_t status = 0;
    uint32_t session = 0;
    uint8_t channels = 0;
    std::string deviceName;
};
// PlayOpen and DownloadOpen.
struct OpenBody {
    uint32_t session = 0;
    uint32_t channel = 0;
    WireTime start;
    WireTime end;
};
struct SeekBody {
    uint32_t epoch = 0;
    WireTime position;
    WireTime end;
};
struct CreditBody {
    uint32_t epoch = 0;
    uint32_t bytes = 0;
};
struct OpenReplyBody {
    OpenResult result = OpenResult::kOk;
    uint64_t total = 0;
};
// A Frame body seen in place: `frame` points into the message's body.
struct FrameView {
    uint32_t epoch = 0;
    const uint8_t* frame = nullptr;
    uint32_t size = 0;
};

Message MakeLogin(const LoginBody& body);
Message MakeQuery(uint32_t sequence, const QueryBody& body);
Message MakeEmpty(uint16_t type);  // Ping, Pong
Message MakeOpen(uint16_t type, const OpenBody& body);
Message MakeSeek(const SeekBody& body);
Message MakeCredit(const CreditBody& body);
Message MakeLoginReply(const LoginReplyBody& body);
Message MakeQueryReply(uint32_t sequence, const std::vector<WireItem>& items);
Message MakeOpenReply(const OpenReplyBody& body);
Message MakeFrame(uint32_t epoch, const uint8_t* frame, uint32_t size);
Message MakeEnd(uint32_t epoch);

bool ReadLogin(const Message& m, LoginBody* out);
bool ReadQuery(const Message& m, QueryBody* out);
bool ReadEmpty(const Message& m);
bool ReadOpen(const Message& m, OpenBody* out);
bool ReadSeek(const Message& m, SeekBody* out);
bool ReadCredit(const Message& m, CreditBody* out);
bool ReadLoginReply(const Message& m, LoginReplyBody* out);
bool ReadQueryReply(const Message& m, std::vector<WireItem>* out);
bool ReadOpenReply(const Message& m, OpenReplyBody* out);
// Also checks the frame itself: the "VkFm" magic, a type letter of I, P or A,
// and a header length field that matches the bytes that follow it.
bool ReadFrame(const Message& m, FrameView* out);
bool ReadEnd(const Message& m, uint32_t* epoch);

}  // namespace veknet
