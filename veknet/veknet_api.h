// veknet/veknet_api.h
//
// VekNet: the network library of the program (VekNet.dll). It logs in to a
// recorder over TCP, reads its device information, asks which days and
// records it holds, plays records remotely and downloads them to files.
//
// Handles are non-zero 32-bit ids (0 = none or failure). A handle that was
// stopped or never given out makes a call do nothing (and return -1, 0 or
// NULL, whichever the call returns). The stop calls take the address of the
// caller's handle and set it to 0.
//
// Threads and callbacks:
//   - The login result is posted (never sent) to the request's window as the
//     request's message, the status in wParam and 0 in lParam: 101 logged in;
//     103 no such user; 104 wrong password; 105 the connection failed (no
//     answer, refused, bad address); 106 no permission; 2 the link was lost
//     after the login (the peer went away, fell silent for 6 s, sent
//     something malformed, or left a record query unanswered). Exactly one
//     of 101/103/104/105/106 comes per start, and 2 at most once, after 101.
//   - VekNetQueryRecord calls its callbacks on the calling thread, and every
//     one of them has returned before the call returns. The waits of a
//     login's queries for their replies draw on one allowance of 3 s, which
//     builds up again (to 3 s) while no query waits: a reply that has not
//     come when it is used up loses the link, and the login's later queries
//     return 0 at once.
//   - Remote play calls its data callback on a thread of its own, one frame
//     per call; a download calls its event callback on a thread of its own.
//   - Every stop call (VekNetConnectionStop, VekNetStopRecordPlay,
//     VekNetStopDownloadRecord, VekNetRelease) waits for the threads it ends:
//     when it returns no callback of what it stopped runs any more, and no
//     status is posted. A stop made from inside the callback it ends does not
//     wait for itself: the callback running is the last one.
//   - Records and buffers handed to callbacks belong to the library and are
//     valid only during the call.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/callconv.h"

#ifdef _WIN32
#include <windows.h>
typedef HWND NetHwnd;
#else
typedef void* NetHwnd;  // an opaque window handle where there are no windows
#endif

// Login statuses (wParam of the posted message).
#define VEKNET_STATUS_LINK_LOST 2
#define VEKNET_STATUS_LOGGED_IN 101
#define VEKNET_STATUS_PROGRESS 102
#define VEKNET_STATUS_NO_USER 103
#define VEKNET_STATUS_BAD_PASSWORD 104
#define VEKNET_STATUS_CONNECT_FAILED 105
#define VEKNET_STATUS_NO_PERMISSION 106

// NetRecordQuery commands.
#define VEKNET_QUERY_DAY 101
#define VEKNET_QUERY_MONTH 102

// Download events (code) and the end event's results (value).
#define VEKNET_DOWNLOAD_END 290
#define VEKNET_DOWNLOAD_PROGRESS 295
#define VEKNET_DOWNLOAD_OK 0
#define VEKNET_DOWNLOAD_LINK_LOST 1     // the recorder went away or sent something malformed
#define VEKNET_DOWNLOAD_WRITE_FAILED 2  // the target file could not be written whole

// The device information buffer: the name from byte 44 (zero-terminated, at
// most 121 characters), the channel count in byte 166, zeros elsewhere.
#define VEKNET_DEVINFO_SIZE 232
#define VEKNET_DEVINFO_NAME 44
#define VEKNET_DEVINFO_CHANNELS 166

// Longest target path of a download, its terminating zero included.
#define VEKNET_MAX_PATH 260

#ifdef __cplusplus
extern "C" {
#endif

// A time on the recorder's clock: the year in full.
typedef struct NetRecordTime {
    uint16_t year;
    uint8_t month;
    uint8_t day;
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
    uint8_t reserved;
} NetRecordTime;

// One record, or one day of a month query (28 bytes).
//   day query:   word = the channel, the record's start and end, its type bit
//                (1, 2, 4, 8 or 128) and its length in bytes
//   month query: word = a bit per channel with records that day, start = the
//                day at 00:00:00, end = the day at 23:59:59, type = the types
//                of those records or'ed together, length 0
typedef struct NetRecordItem {
    uint32_t word;
    NetRecordTime start;
    NetRecordTime end;
    int32_t type;
    uint32_t length;
} NetRecordItem;

typedef struct NetLoginRequest {
    const char* ip;        // dotted IPv4 address (or host name), zero-terminated
    int32_t port;          // 1..65535
    const char* user;      // at most 32 characters are sent
    const char* password;  // at most 32 characters are sent
    NetHwnd window;        // receives the status message
    uint32_t message;
    uintptr_t userData;
    int32_t reserved1;     // 1 from the program; not used
    int32_t reserved2[3];  // 0
} NetLoginRequest;

typedef void(VEK_CALL* NetRecordCallback)(const NetRecordItem* record, uintptr_t user);

typedef struct NetRecordQuery {
    int32_t command;  // VEKNET_QUERY_DAY or VEKNET_QUERY_MONTH
    // Day: the channel (0-based). Month: a bit per channel (1 << channel).
    int32_t channel;
    NetRecordTime start;
    NetRecordTime end;
    int32_t reserved24;               // -1 from the program; not used
    int32_t reserved28[8];            // not used
    NetRecordCallback dayCallback;    // per record of a day query
    NetRecordCallback monthCallback;  // per day of a month query
    uintptr_t user;
} NetRecordQuery;

// A whole recorder frame (40-byte header and payload), or (NULL, 0) once at
// the end of the last record and when the link is lost. 0: not taken - the
// same frame is offered again first when VekNetReqRecordData asks for data.
typedef int32_t(VEK_CALL* NetDataCallback)(const uint8_t* buffer, uint32_t length, uintptr_t user);

typedef struct NetRecordPlayParam {
    int32_t channel;
    int32_t reserved4;  // -1 from the program; not used
    NetRecordTime start;
    NetRecordTime end;
    NetDataCallback dataCallback;
    uintptr_t user;
    int32_t reserved[2];
} NetRecordPlayParam;

// code VEKNET_DOWNLOAD_PROGRESS with the percentage (rising, at most 100),
// then once VEKNET_DOWNLOAD_END with the result.
typedef void(VEK_CALL* NetDownloadCallback)(int32_t code, int32_t value, uintptr_t user);

typedef struct NetDownloadRequest {
    int32_t channel;
    const NetRecordItem* record;  // the record to fetch (its start and end)
    const char* path;             // the target file: ".avi" writes AVI, any other name the raw frames
    NetDownloadCallback callback;
    uintptr_t user;
} NetDownloadRequest;

int32_t VEK_CALL VekNetInit(void);
// Stops every download, play and connection, then releases the network.
int32_t VEK_CALL VekNetRelease(void);

// Starts a login and returns its handle at once (0 when the request is
// unusable: no request, address, window or a port out of range); the result
// arrives as the posted status. The request is copied.
uint32_t VEK_CALL VekNetConnectionStart(const NetLoginRequest* request);
// Ends the login, and the plays and downloads started on it.
int32_t VEK_CALL VekNetConnectionStop(uint32_t* login);

// Fills a VEKNET_DEVINFO_SIZE-byte buffer of a logged-in connection and
// returns the device name in it (buffer + 44); NULL, the buffer untouched,
// when not logged in or `size` is too small.
const char* VEK_CALL VekNetGetDevInfo(uint32_t login, void* buffer, int32_t size);

// Month: the month callback once per day in start..end with records in the
// channel mask; returns the number of days. Day: the day callback once per
// record of the channel in start..end, in start order; returns the number of
// records. 0 when nothing was found or the query failed.
int32_t VEK_CALL VekNetQueryRecord(uint32_t login, const NetRecordQuery* query);

// Plays the channel's records in start..end, one after the other. The play
// handle, or 0 when not logged in or nothing is recorded in the range.
uint32_t VEK_CALL VekNetStartRecordPlay(uint32_t login, const NetRecordPlayParam* param);
// Resumes delivery after the data callback answered 0.
int32_t VEK_CALL VekNetReqRecordData(uint32_t play);
// times[0] the position, times[1] the end: delivery holds until
// VekNetReplayRecordData, then continues at the first key frame at or after
// the position (or ends with (NULL, 0) when nothing lies there).
int32_t VEK_CALL VekNetReposRecordData(uint32_t play, const NetRecordTime* times);
int32_t VEK_CALL VekNetReplayRecordData(uint32_t play);
int32_t VEK_CALL VekNetStopRecordPlay(uint32_t* play);

// Downloads the record of the channel that starts at record->start into
// `path`. The download handle, or 0 when not logged in, the record is not
// there, or the path is unusable (no zero within VEKNET_MAX_PATH bytes, a
// ".." component, or a file that cannot be created). The request is copied.
uint32_t VEK_CALL VekNetStartDownloadRecord(uint32_t login, const NetDownloadRequest* request);
int32_t VEK_CALL VekNetStopDownloadRecord(uint32_t* download);

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(NetRecordTime) == 8);
static_assert(sizeof(NetRecordItem) == 28);
static_assert(offsetof(NetRecordItem, start) == 4);
static_assert(offsetof(NetRecordItem, end) == 12);
static_assert(offsetof(NetRecordItem, type) == 20);
static_assert(offsetof(NetRecordQuery, start) == 8);
static_assert(offsetof(NetRecordQuery, end) == 16);
static_assert(offsetof(NetRecordQuery, reserved28) == 28);
static_assert(offsetof(NetRecordPlayParam, start) == 8);

// A time on the recorder's clock from its fields (not checked).
inline NetRecordTime MakeNetRecordTime(int year, int month, int day, int hour, int minute, int second) {
    NetRecordTime t{};
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint8_t>(month);
    t.day = static_cast<uint8_t>(day);
    t.hour = static_cast<uint8_t>(hour);
    t.minute = static_cast<uint8_t>(minute);
    t.second = static_cast<uint8_t>(second);
    return t;
}
#endif
