// veknet/protocol.cpp
#include "veknet/protocol.h"

#include <cstring>

#include "media/civil_date.h"
#include "platform/le_bytes.h"

namespace veknet {

namespace {

constexpr uint32_t kTimeSize = 8;

// Appends fields to a body.
class BodyWriter {
  public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) { Put<2>(v); }
    void U32(uint32_t v) { Put<4>(v); }
    void U64(uint64_t v) { Put<8>(v); }
    void Str(const std::string& s, size_t limit) {
        const size_t n = s.size() < limit ? s.size() : limit;
        U8(static_cast<uint8_t>(n));
        bytes_.insert(bytes_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void Time(const WireTime& t) {
        U16(t.year);
        U8(t.month);
        U8(t.day);
        U8(t.hour);
        U8(t.minute);
        U8(t.second);
        U8(0);
    }
    void Bytes(const uint8_t* p, size_t n) { bytes_.insert(bytes_.end(), p, p + n); }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    template <int N>
    void Put(uint64_t v) {
        for (int i = 0; i < N; i++)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::vector<uint8_t> bytes_;
};

// Reads fields from a body; once a read runs past the end every later read
// fails too, so a decoder checks ok() once at its end.
class BodyReader {
  public:
    explicit BodyReader(const std::vector<uint8_t>& body) : p_(body.data()), left_(body.size()) {}

    uint8_t U8() { return Take(1) ? platform::GetU8(at_) : 0; }
    uint16_t U16() { return Take(2) ? platform::GetU16(at_) : 0; }
    uint32_t U32() { return Take(4) ? platform::GetU32(at_) : 0; }
    uint64_t U64() { return Take(8) ? platform::GetU64(at_) : 0; }
    bool Str(std::string* out, size_t limit) {
        const size_t n = U8();
        if (!ok_ || n > limit || !Take(n))
            return ok_ = false;
        out->assign(reinterpret_cast<const char*>(at_), n);
        return true;
    }
    WireTime Time() {
        WireTime t;
        if (!Take(kTimeSize))
            return t;
        t.year = platform::GetU16(at_);
        t.month = at_[2];
        t.day = at_[3];
        t.hour = at_[4];
        t.minute = at_[5];
        t.second = at_[6];
        return t;
    }
    // The rest of the body in place.
    const uint8_t* Rest(size_t* size) {
        *size = left_;
        const uint8_t* rest = p_;
        p_ += left_;
        left_ = 0;
        return rest;
    }
    size_t left() const { return left_; }
    // Every read succeeded and the body was used up exactly.
    bool Done() const { return ok_ && left_ == 0; }

  private:
    bool Take(size_t n) {
        if (!ok_ || n > left_)
            return ok_ = false;
        at_ = p_;
        p_ += n;
        left_ -= n;
        return true;
    }
    const uint8_t* p_;
    const uint8_t* at_ = nullptr;
    size_t left_;
    bool ok_ = true;
};

Message Make(uint16_t type, uint32_t sequence, BodyWriter& w) {
    Message m;
    m.type = type;
    m.sequence = sequence;
    m.body = w.Take();
    return m;
}

}  // namespace

uint32_t MaxBody(uint16_t type) {
    switch (type) {
        case kLogin:
            return 2 + 2 * kMaxCredential;
        case kQuery:
            return 8 + 2 * kTimeSize;
        case kPing:
        case kPong:
            return 0;
        case kPlayOpen:
        case kDownloadOpen:
            return 8 + 2 * kTimeSize;
        case kPlaySeek:
            return 4 + 2 * kTimeSize;
        case kPlayCredit:
            return 8;
        case kLoginReply:
            return 9 + 1 + kMaxDeviceName;
        case kQueryReply:
            return 4 + kMaxItems * kItemSize;
        case kOpenReply:
            return 12;
        case kFrame:
            return 4 + media::kMaxFrameSize;
        case kEnd:
            return 4;
        default:
            return 0;
    }
}

static bool KnownType(uint16_t type) {
    return (type >= kLogin && type <= kDownloadOpen) || (type >= kLoginReply && type <= kEnd);
}

bool ParseHeader(const uint8_t* bytes, Header* out) {
    if (platform::GetU32(bytes) != kMagic || platform::GetU16(bytes + 4) != kVersion)
        return false;
    const uint16_t type = platform::GetU16(bytes + 6);
    const uint32_t length = platform::GetU32(bytes + 12);
    if (!KnownType(type) || length > MaxBody(type))
        return false;
    out->type = type;
    out->sequence = platform::GetU32(bytes + 8);
    out->length = length;
    return true;
}

std::vector<uint8_t> Encode(const Message& message) {
    // A body over its type's limit would be refused by the other end, and its
    // size need not even fit the length field (or the buffer's size sum).
    if (!KnownType(message.type) || message.body.size() > MaxBody(message.type))
        return {};
    std::vector<uint8_t> out(kHeaderSize + message.body.size());
    platform::PutU32(out.data(), kMagic);
    platform::PutU16(out.data() + 4, kVersion);
    platform::PutU16(out.data() + 6, message.type);
    platform::PutU32(out.data() + 8, message.sequence);
    platform::PutU32(out.data() + 12, static_cast<uint32_t>(message.body.size()));
    if (!message.body.empty())
        std::memcpy(out.data() + kHeaderSize, message.body.data(), message.body.size());
    return out;
}

// ---- times -----------------------------------------------------------------------

bool WireTime::Valid() const {
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 && second < 60;
}

int64_t WireTime::Seconds() const {
    return media::DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

WireTime WireTime::FromSeconds(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days--;
    }
    int64_t y = 0;
    int m = 0;
    int d = 0;
    media::CivilFromDays(days, &y, &m, &d);
    WireTime t;
    t.year = static_cast<uint16_t>(y);
    t.month = static_cast<uint8_t>(m);
    t.day = static_cast<uint8_t>(d);
    t.hour = static_cast<uint8_t>(rest / 3600);
    t.minute = static_cast<uint8_t>(rest / 60 % 60);
    t.second = static_cast<uint8_t>(rest % 60);
    return t;
}

// ---- bodies ----------------------------------------------------------------------

Message MakeLogin(const LoginBody& body) {
    BodyWriter w;
    w.Str(body.user, kMaxCredential);
    w.Str(body.password, kMaxCredential);
    return Make(kLogin, 0, w);
}

Message MakeQuery(uint32_t sequence, const QueryBody& body) {
    BodyWriter w;
    w.U32(body.command);
    w.U32(body.selector);
    w.Time(body.start);
    w.Time(body.end);
    return Make(kQuery, sequence, w);
}

Message MakeEmpty(uint16_t type) {
    BodyWriter w;
    return Make(type, 0, w);
}

Message MakeOpen(uint16_t type, const OpenBody& body) {
    BodyWriter w;
    w.U32(body.session);
    w.U32(body.channel);
    w.Time(body.start);
    w.Time(body.end);
    return Make(type, 0, w);
}

Message MakeSeek(const SeekBody& body) {
    BodyWriter w;
    w.U32(body.epoch);
    w.Time(body.position);
    w.Time(body.end);
    return Make(kPlaySeek, 0, w);
}

Message MakeCredit(const CreditBody& body) {
    BodyWriter w;
    w.U32(body.epoch);
    w.U32(body.bytes);
    return Make(kPlayCredit, 0, w);
}

Message MakeLoginReply(const LoginReplyBody& body) {
    BodyWriter w;
    w.U32(body.status);
    w.U32(body.session);
    w.U8(body.channels);
    w.Str(body.deviceName, kMaxDeviceName);
    return Make(kLoginReply, 0, w);
}

Message MakeQueryReply(uint32_t sequence, const std::vector<WireItem>& items) {
    BodyWriter w;
    const uint32_t count = items.size() < kMaxItems ? static_cast<uint32_t>(items.size()) : kMaxItems;
    w.U32(count);
    for (uint32_t i = 0; i < count; i++) {
        const WireItem& item = items[i];
        w.U32(item.word);
        w.Time(item.start);
        w.Time(item.end);
        w.U32(static_cast<uint32_t>(item.type));
        w.U32(item.length);
    }
    return Make(kQueryReply, sequence, w);
}

Message MakeOpenReply(const OpenReplyBody& body) {
    BodyWriter w;
    w.U32(static_cast<uint32_t>(body.result));
    w.U64(body.total);
    return Make(kOpenReply, 0, w);
}

Message MakeFrame(uint32_t epoch, const uint8_t* frame, uint32_t size) {
    BodyWriter w;
    w.U32(epoch);
    w.Bytes(frame, size);
    return Make(kFrame, 0, w);
}

Message MakeEnd(uint32_t epoch) {
    BodyWriter w;
    w.U32(epoch);
    return Make(kEnd, 0, w);
}

bool ReadLogin(const Message& m, LoginBody* out) {
    if (m.type != kLogin)
        return false;
    BodyReader r(m.body);
    return r.Str(&out->user, kMaxCredential) && r.Str(&out->password, kMaxCredential) && r.Done();
}

bool ReadQuery(const Message& m, QueryBody* out) {
    if (m.type != kQuery)
        return false;
    BodyReader r(m.body);
    out->command = r.U32();
    out->selector = r.U32();
    out->start = r.Time();
    out->end = r.Time();
    return r.Done();
}

bool ReadEmpty(const Message& m) {
    return (m.type == kPing || m.type == kPong) && m.body.empty();
}

bool ReadOpen(const Message& m, OpenBody* out) {
    if (m.type != kPlayOpen && m.type != kDownloadOpen)
        return false;
    BodyReader r(m.body);
    out->session = r.U32();
    out->channel = r.U32();
    out->start = r.Time();
    out->end = r.Time();
    return r.Done();
}

bool ReadSeek(const Message& m, SeekBody* out) {
    if (m.type != kPlaySeek)
        return false;
    BodyReader r(m.body);
    out->epoch = r.U32();
    out->position = r.Time();
    out->end = r.Time();
    return r.Done();
}

bool ReadCredit(const Message& m, CreditBody* out) {
    if (m.type != kPlayCredit)
        return false;
    BodyReader r(m.body);
    out->epoch = r.U32();
    out->bytes = r.U32();
    return r.Done();
}

bool ReadLoginReply(const Message& m, LoginReplyBody* out) {
    if (m.type != kLoginReply)
        return false;
    BodyReader r(m.body);
    out->status = r.U32();
    out->session = r.U32();
    out->channels = r.U8();
    return r.Str(&out->deviceName, kMaxDeviceName) && r.Done();
}

bool ReadQueryReply(const Message& m, std::vector<WireItem>* out) {
    if (m.type != kQueryReply)
        return false;
    BodyReader r(m.body);
    const uint32_t count = r.U32();
    // The count must match the bytes that follow before anything is reserved.
    if (count > kMaxItems || r.left() != static_cast<size_t>(count) * kItemSize)
        return false;
    out->clear();
    out->reserve(count);
    for (uint32_t i = 0; i < count; i++) {
        WireItem item;
        item.word = r.U32();
        item.start = r.Time();
        item.end = r.Time();
        item.type = static_cast<int32_t>(r.U32());
        item.length = r.U32();
        out->push_back(item);
    }
    return r.Done();
}

bool ReadOpenReply(const Message& m, OpenReplyBody* out) {
    if (m.type != kOpenReply)
        return false;
    BodyReader r(m.body);
    const uint32_t result = r.U32();
    out->total = r.U64();
    if (result > static_cast<uint32_t>(OpenResult::kBadRequest))
        return false;
    out->result = static_cast<OpenResult>(result);
    return r.Done();
}

bool ReadFrame(const Message& m, FrameView* out) {
    if (m.type != kFrame)
        return false;
    BodyReader r(m.body);
    out->epoch = r.U32();
    size_t size = 0;
    const uint8_t* frame = r.Rest(&size);
    if (size > media::kMaxFrameSize || media::CheckFrame(frame, size) != media::FrameCheck::kOk)
        return false;
    if (media::FramePayloadSize(frame) != size - media::kFrameHeaderSize)
        return false;
    out->frame = frame;
    out->size = static_cast<uint32_t>(size);
    return true;
}

bool ReadEnd(const Message& m, uint32_t* epoch) {
    if (m.type != kEnd)
        return false;
    BodyReader r(m.body);
    *epoch = r.U32();
    return r.Done();
}

}  // namespace veknet
