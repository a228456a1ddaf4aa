// libFuzzer target: the network protocol's codec on both ends.
//
// The input is read three ways. As a byte stream arriving on a connection:
// message after message is taken the way a link takes them (a 16-byte header,
// then the body it announces), and every body is handed to every decoder. As
// values for the encoders: each message type is built, encoded, read back
// through its header and decoded. And as times: wire times against seconds
// since 1970.
//
// Checked: a header is taken only with the magic, version 1, a known type and
// a body within that type's limit; only the decoder of a message's own type
// takes it; a body a decoder takes is encoded again to the same bytes (the
// spare byte of each time aside), so nothing is lost or made up on the way; a
// frame taken lies in the body and is sound; what an encoder builds, the
// decoders read back (strings and item lists cut to their limits); a time that
// exists in the calendar survives the way to seconds and back, and seconds of
// years 0 to 65535 survive the way to a time and back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "tests/common/fuzz_input.h"
#include "veknet/protocol.h"

namespace {

using namespace veknet;

using Input = vektest::FuzzInput;

using vektest::Check;

// Offsets of the time fields' spare bytes in a body of the type (the decoders
// do not look at them; the encoders write 0).
std::vector<size_t> SpareBytes(const Message& m) {
    switch (m.type) {
        case kQuery:
        case kPlayOpen:
        case kDownloadOpen:
            return {15, 23};
        case kPlaySeek:
            return {11, 19};
        case kQueryReply: {
            std::vector<size_t> at;
            for (size_t item = 4; item + kItemSize <= m.body.size(); item += kItemSize)
                at.insert(at.end(), {item + 11, item + 19});
            return at;
        }
        default:
            return {};
    }
}

// The body encoded again from what the decoders took; false when no decoder
// took it.
bool Reencoded(const Message& m, Message* again) {
    int taken = 0;
    LoginBody login;
    QueryBody query;
    LoginReplyBody reply;
    OpenBody open;
    SeekBody seek;
    CreditBody credit;
    OpenReplyBody openReply;
    FrameView frame;
    std::vector<WireItem> items;
    uint32_t epoch = 0;
    if (ReadLogin(m, &login))
        taken++, *again = MakeLogin(login);
    if (ReadQuery(m, &query))
        taken++, *again = MakeQuery(m.sequence, query);
    if (ReadEmpty(m))
        taken++, *again = MakeEmpty(m.type);
    if (ReadOpen(m, &open))
        taken++, *again = MakeOpen(m.type, open);
    if (ReadSeek(m, &seek))
        taken++, *again = MakeSeek(seek);
    if (ReadCredit(m, &credit))
        taken++, *again = MakeCredit(credit);
    if (ReadLoginReply(m, &reply))
        taken++, *again = MakeLoginReply(reply);
    if (ReadQueryReply(m, &items)) {
        taken++;
        Check(items.size() <= kMaxItems);
        *again = MakeQueryReply(m.sequence, items);
    }
    if (ReadOpenReply(m, &openReply))
        taken++, *again = MakeOpenReply(openReply);
    if (ReadFrame(m, &frame)) {
        taken++;
        Check(frame.frame == m.body.data() + 4 && frame.size == m.body.size() - 4);
        Check(frame.size >= media::kFrameHeaderSize && frame.size <= media::kMaxFrameSize);
        Check(std::memcmp(frame.frame, "VkFm", 4) == 0);
        Check(frame.frame[4] == 'I' || frame.frame[4] == 'P' || frame.frame[4] == 'A');
        Check(platform::GetU32(frame.frame + 12) == frame.size - media::kFrameHeaderSize);
        *again = MakeFrame(frame.epoch, frame.frame, frame.size);
    }
    if (ReadEnd(m, &epoch))
        taken++, *again = MakeEnd(epoch);
    Check(taken <= 1);
    return taken == 1;
}

// The input as bytes arriving on a connection.
void Stream(const std::vector<uint8_t>& bytes) {
    size_t at = 0;
    while (bytes.size() - at >= kHeaderSize) {
        Header h;
        const uint8_t* head = bytes.data() + at;
        if (!ParseHeader(head, &h))
            return;  // a link closes the connection here
        Check(platform::GetU32(head) == kMagic && platform::GetU16(head + 4) == kVersion);
        Check(h.type == platform::GetU16(head + 6));
        Check(MaxBody(h.type) > 0 || h.type == kPing || h.type == kPong);
        Check(h.length <= MaxBody(h.type) && h.length == platform::GetU32(head + 12));
        at += kHeaderSize;
        if (bytes.size() - at < h.length)
            return;
        Message m;
        m.type = h.type;
        m.sequence = h.sequence;
        m.body.assign(bytes.begin() + static_cast<long>(at),
                      bytes.begin() + static_cast<long>(at + h.length));
        at += h.length;

        Message again;
        if (!Reencoded(m, &again))
            continue;
        Check(again.type == m.type);
        if (m.type == kQuery || m.type == kQueryReply)
            Check(again.sequence == m.sequence);
        std::vector<uint8_t> body = m.body;
        for (size_t spare : SpareBytes(m))
            body[spare] = 0;
        Check(again.body == body);
    }
}

WireTime Time(Input& in) {
    WireTime t;
    t.year = static_cast<uint16_t>(in.U16());
    t.month = in.U8();
    t.day = in.U8();
    t.hour = in.U8();
    t.minute = in.U8();
    t.second = in.U8();
    return t;
}

// The message encoded and taken back off the wire: header and body.
Message Sent(const Message& m) {
    const std::vector<uint8_t> bytes = Encode(m);
    Header h;
    Check(bytes.size() >= kHeaderSize && ParseHeader(bytes.data(), &h));
    Check(h.type == m.type && h.sequence == m.sequence && h.length == bytes.size() - kHeaderSize);
    Message out;
    out.type = h.type;
    out.sequence = h.sequence;
    out.body.assign(bytes.begin() + kHeaderSize, bytes.end());
    return out;
}

std::string Cut(const std::string& s, size_t limit) {
    return s.substr(0, limit);
}

bool SameTime(const WireTime& a, const WireTime& b) {
    return a == b;
}

// Values through the encoders and back.
void RoundTrip(Input& in) {
    switch (in.U8() % 9) {
        case 0: {
            const LoginBody v{in.Bytes(139), in.Bytes(139)};
            LoginBody back;
            Check(ReadLogin(Sent(MakeLogin(v)), &back));
            Check(back.user == Cut(v.user, kMaxCredential) &&
                  back.password == Cut(v.password, kMaxCredential));
            break;
        }
        case 1: {
            const uint32_t sequence = in.U32();
            const QueryBody v{in.U32(), in.U32(), Time(in), Time(in)};
            const Message m = Sent(MakeQuery(sequence, v));
            QueryBody back;
            Check(m.sequence == sequence && ReadQuery(m, &back));
            Check(back.command == v.command && back.selector == v.selector && SameTime(back.start, v.start) &&
                  SameTime(back.end, v.end));
            break;
        }
        case 2: {
            const uint16_t type = in.U8() & 1 ? kPlayOpen : kDownloadOpen;
            const OpenBody v{in.U32(), in.U32(), Time(in), Time(in)};
            const Message m = Sent(MakeOpen(type, v));
            OpenBody back;
            Check(m.type == type && ReadOpen(m, &back));
            Check(back.session == v.session && back.channel == v.channel && SameTime(back.start, v.start) &&
                  SameTime(back.end, v.end));
            break;
        }
        case 3: {
            const SeekBody v{in.U32(), Time(in), Time(in)};
            SeekBody back;
            Check(ReadSeek(Sent(MakeSeek(v)), &back));
            Check(back.epoch == v.epoch && SameTime(back.position, v.position) && SameTime(back.end, v.end));
            break;
        }
        case 4: {
            const CreditBody v{in.U32(), in.U32()};
            CreditBody back;
            Check(ReadCredit(Sent(MakeCredit(v)), &back) && back.epoch == v.epoch && back.bytes == v.bytes);
            break;
        }
        case 5: {
            LoginReplyBody v;
            v.status = in.U32();
            v.session = in.U32();
            v.channels = in.U8();
            v.deviceName = in.Bytes(139);
            LoginReplyBody back;
            Check(ReadLoginReply(Sent(MakeLoginReply(v)), &back));
            Check(back.status == v.status && back.session == v.session && back.channels == v.channels &&
                  back.deviceName == Cut(v.deviceName, kMaxDeviceName));
            break;
        }
        case 6: {
            const uint32_t sequence = in.U32();
            std::vector<WireItem> v(in.U8() % 2 ? in.U8() : kMaxItems - 2 + in.U8() % 4);
            for (WireItem& item : v) {
                item.word = in.U32();
                item.start = Time(in);
                item.end = Time(in);
                item.type = static_cast<int32_t>(in.U32());
                item.length = in.U32();
            }
            const Message m = Sent(MakeQueryReply(sequence, v));
            std::vector<WireItem> back;
            Check(m.sequence == sequence && ReadQueryReply(m, &back));
            Check(back.size() == std::min<size_t>(v.size(), kMaxItems));
            for (size_t i = 0; i < back.size(); i++)
                Check(back[i].word == v[i].word && SameTime(back[i].start, v[i].start) &&
                      SameTime(back[i].end, v[i].end) && back[i].type == v[i].type &&
                      back[i].length == v[i].length);
            break;
        }
        case 7: {
            OpenReplyBody v;
            v.result = static_cast<OpenResult>(in.U8() % 4);
            v.total = in.U64();
            OpenReplyBody back;
            Check(ReadOpenReply(Sent(MakeOpenReply(v)), &back) && back.result == v.result &&
                  back.total == v.total);
            break;
        }
        default: {
            std::vector<uint8_t> frame(media::kFrameHeaderSize + in.U16() % 2048);
            platform::PutU32(frame.data(), platform::FourCC("VkFm"));
            frame[4] = "IPA"[in.U8() % 3];
            platform::PutU32(frame.data() + 12,
                             static_cast<uint32_t>(frame.size() - media::kFrameHeaderSize));
            for (size_t i = 16; i < frame.size(); i++)
                frame[i] = in.U8();
            const uint32_t epoch = in.U32();
            const Message m = Sent(MakeFrame(epoch, frame.data(), static_cast<uint32_t>(frame.size())));
            FrameView back;  // points into m
            Check(ReadFrame(m, &back));
            Check(back.epoch == epoch && back.size == frame.size() &&
                  std::memcmp(back.frame, frame.data(), frame.size()) == 0);
            uint32_t end = 0;
            Check(ReadEnd(Sent(MakeEnd(epoch)), &end) && end == epoch);
            break;
        }
    }
}

bool IsLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysIn(int64_t year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

void Times(Input& in) {
    const WireTime t = Time(in);
    if (t.Valid() && t.day <= DaysIn(t.year, t.month))
        Check(WireTime::FromSeconds(t.Seconds()) == t);
    const WireTime first{0, 1, 1, 0, 0, 0};
    const WireTime last{65535, 12, 31, 23, 59, 59};
    const int64_t span = last.Seconds() - first.Seconds() + 1;
    const int64_t s = first.Seconds() + static_cast<int64_t>(in.U64() % static_cast<uint64_t>(span));
    const WireTime back = WireTime::FromSeconds(s);
    Check(back.Valid() && back.day <= DaysIn(back.year, back.month) && back.Seconds() == s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Stream(std::vector<uint8_t>(data, data + size));
    Input in(data, size);
    for (int n = 0; n < 4 && !in.Empty(); n++) {
        RoundTrip(in);
        Times(in);
    }
    return 0;
}
