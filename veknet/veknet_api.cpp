// veknet/veknet_api.cpp
//
// The exported calls: each checks what it is given, copies what it keeps,
// and hands over to the login, play or download its handle names. No
// exception leaves the library.
#include "veknet/veknet_api.h"

#include <cstring>
#include <string>
#include <vector>

#include "veknet/download_path.h"
#include "veknet/library.h"
#include "veknet/socket.h"

namespace {

using namespace veknet;

// Text the caller handed in, copied up to `limit` bytes (NULL: "").
std::string Text(const char* s, size_t limit) {
    return s ? std::string(s, ::strnlen(s, limit)) : std::string();
}

WireTime ToWire(const NetRecordTime& t) {
    WireTime w;
    w.year = t.year;
    w.month = t.month;
    w.day = t.day;
    w.hour = t.hour;
    w.minute = t.minute;
    w.second = t.second;
    return w;
}

NetRecordTime FromWire(const WireTime& w) {
    NetRecordTime t{};
    t.year = w.year;
    t.month = w.month;
    t.day = w.day;
    t.hour = w.hour;
    t.minute = w.minute;
    t.second = w.second;
    return t;
}

NetRecordItem FromWire(const WireItem& w) {
    NetRecordItem item{};
    item.word = w.word;
    item.start = FromWire(w.start);
    item.end = FromWire(w.end);
    item.type = w.type;
    item.length = w.length;
    return item;
}

// Runs `body`, turning an exception (memory) into `failed`.
template <typename Result, typename Body>
Result Guard(Result failed, Body&& body) {
    try {
        return body();
    } catch (...) {
        return failed;
    }
}

// Registers an object started on `login`; when the login was stopped in the
// meantime the object is stopped at once and 0 returned.
template <typename T>
uint32_t Register(HandleRegistry<T>& registry, std::shared_ptr<T> object, uint32_t login) {
    const uint32_t id = registry.Add(object, login);
    if (!TheLibrary().logins.Find(login)) {
        if (auto taken = registry.Take(id))
            taken->Stop();
        return 0;
    }
    return id;
}

// Takes the handle *slot names, clears it, and stops the object.
template <typename T>
int32_t StopHandle(HandleRegistry<T>& registry, uint32_t* slot) {
    if (!slot)
        return -1;
    const uint32_t id = *slot;
    *slot = 0;
    const std::shared_ptr<T> object = registry.Take(id);
    if (!object)
        return -1;
    object->Stop();
    return 0;
}

}  // namespace

extern "C" {

int32_t VEK_CALL VekNetInit(void) {
    return StartNetworking() ? 0 : -1;
}

int32_t VEK_CALL VekNetRelease(void) {
    return Guard<int32_t>(-1, [] {
        StopEverything();
        StopNetworking();
        return 0;
    });
}

uint32_t VEK_CALL VekNetConnectionStart(const NetLoginRequest* request) {
    if (!request || !request->ip || !request->window || request->port < 1 || request->port > 65535)
        return 0;
    return Guard<uint32_t>(0, [&]() -> uint32_t {
        LoginParams params;
        params.host = Text(request->ip, 256);
        params.port = static_cast<uint16_t>(request->port);
        params.user = Text(request->user, kMaxCredential);
        params.password = Text(request->password, kMaxCredential);
        params.target.window = reinterpret_cast<uintptr_t>(request->window);
        params.target.message = request->message;
        auto connection = std::make_shared<Connection>(std::move(params));
        const uint32_t id = TheLibrary().logins.Add(connection);
        if (!connection->Start()) {
            TheLibrary().logins.Take(id);
            return 0;
        }
        return id;
    });
}

int32_t VEK_CALL VekNetConnectionStop(uint32_t* login) {
    if (!login)
        return -1;
    const uint32_t id = *login;
    *login = 0;
    return Guard<int32_t>(-1, [id] {
        if (!TheLibrary().logins.Find(id))
            return -1;
        StopLogin(id);
        return 0;
    });
}

const char* VEK_CALL VekNetGetDevInfo(uint32_t login, void* buffer, int32_t size) {
    if (!buffer || size < VEKNET_DEVINFO_SIZE)
        return nullptr;
    return Guard<const char*>(nullptr, [&]() -> const char* {
        const std::shared_ptr<Connection> connection = TheLibrary().logins.Find(login);
        std::string name;
        uint8_t channels = 0;
        if (!connection || !connection->GetDeviceInfo(&name, &channels))
            return nullptr;
        auto* bytes = static_cast<uint8_t*>(buffer);
        std::memset(bytes, 0, VEKNET_DEVINFO_SIZE);
        // The reply's name is at most 121 bytes: it ends before the channel count.
        const size_t n = name.size() < kMaxDeviceName ? name.size() : kMaxDeviceName;
        std::memcpy(bytes + VEKNET_DEVINFO_NAME, name.data(), n);
        bytes[VEKNET_DEVINFO_CHANNELS] = channels;
        return reinterpret_cast<const char*>(bytes + VEKNET_DEVINFO_NAME);
    });
}

int32_t VEK_CALL VekNetQueryRecord(uint32_t login, const NetRecordQuery* query) {
    if (!query)
        return 0;
    const bool month = query->command == VEKNET_QUERY_MONTH;
    if (!month && query->command != VEKNET_QUERY_DAY)
        return 0;
    // A day names one channel, a month a mask of them.
    if (month ? query->channel == 0 : (query->channel < 0 || query->channel > 31))
        return 0;
    return Guard<int32_t>(0, [&]() -> int32_t {
        const std::shared_ptr<Connection> connection = TheLibrary().logins.Find(login);
        if (!connection)
            return 0;
        QueryBody body;
        body.command = static_cast<uint32_t>(query->command);
        body.selector = static_cast<uint32_t>(query->channel);
        body.start = ToWire(query->start);
        body.end = ToWire(query->end);
        std::vector<WireItem> items;
        if (!connection->Query(body, &items))
            return 0;
        const NetRecordCallback callback = month ? query->monthCallback : query->dayCallback;
        if (callback) {
            for (const WireItem& w : items) {
                const NetRecordItem item = FromWire(w);
                callback(&item, query->user);
            }
        }
        return static_cast<int32_t>(items.size());
    });
}

uint32_t VEK_CALL VekNetStartRecordPlay(uint32_t login, const NetRecordPlayParam* param) {
    if (!param || !param->dataCallback || param->channel < 0)
        return 0;
    return Guard<uint32_t>(0, [&]() -> uint32_t {
        const std::shared_ptr<Connection> connection = TheLibrary().logins.Find(login);
        StreamTarget target;
        if (!connection || !connection->GetStreamTarget(&target))
            return 0;
        PlayParams params;
        params.channel = static_cast<uint32_t>(param->channel);
        params.start = ToWire(param->start);
        params.end = ToWire(param->end);
        params.callback = param->dataCallback;
        params.user = param->user;
        const std::shared_ptr<RecordPlay> play = RecordPlay::Open(target, params);
        if (!play || !play->Start())
            return 0;
        return Register(TheLibrary().plays, play, login);
    });
}

int32_t VEK_CALL VekNetReqRecordData(uint32_t play) {
    return Guard<int32_t>(-1, [play] {
        const std::shared_ptr<RecordPlay> p = TheLibrary().plays.Find(play);
        if (!p)
            return -1;
        p->RequestData();
        return 0;
    });
}

int32_t VEK_CALL VekNetReposRecordData(uint32_t play, const NetRecordTime* times) {
    if (!times)
        return -1;
    return Guard<int32_t>(-1, [&] {
        const std::shared_ptr<RecordPlay> p = TheLibrary().plays.Find(play);
        if (!p)
            return -1;
        p->Reposition(ToWire(times[0]), ToWire(times[1]));
        return 0;
    });
}

int32_t VEK_CALL VekNetReplayRecordData(uint32_t play) {
    return Guard<int32_t>(-1, [play] {
        const std::shared_ptr<RecordPlay> p = TheLibrary().plays.Find(play);
        if (!p)
            return -1;
        p->Replay();
        return 0;
    });
}

int32_t VEK_CALL VekNetStopRecordPlay(uint32_t* play) {
    return Guard<int32_t>(-1, [play] { return StopHandle(TheLibrary().plays, play); });
}

uint32_t VEK_CALL VekNetStartDownloadRecord(uint32_t login, const NetDownloadRequest* request) {
    if (!request || !request->record || request->channel < 0)
        return 0;
    return Guard<uint32_t>(0, [&]() -> uint32_t {
        DownloadParams params;
        if (!AcceptTargetPath(request->path, &params.path))
            return 0;
        params.channel = static_cast<uint32_t>(request->channel);
        params.start = ToWire(request->record->start);
        params.end = ToWire(request->record->end);
        if (!params.start.Valid() || !params.end.Valid())
            return 0;
        params.callback = request->callback;
        params.user = request->user;
        const std::shared_ptr<Connection> connection = TheLibrary().logins.Find(login);
        StreamTarget target;
        if (!connection || !connection->GetStreamTarget(&target))
            return 0;
        const std::shared_ptr<RecordDownload> download = RecordDownload::Open(target, params);
        if (!download || !download->Start())
            return 0;
        return Register(TheLibrary().downloads, download, login);
    });
}

int32_t VEK_CALL VekNetStopDownloadRecord(uint32_t* download) {
    return Guard<int32_t>(-1, [download] { return StopHandle(TheLibrary().downloads, download); });
}

}  // extern "C"
