// veknet/library.h
//
// The library's process state: the live logins, plays and downloads by
// handle. Plays and downloads are owned by the login they were started on.
#pragma once

#include <cstdint>

#include "veknet/connection.h"
#include "veknet/handle_registry.h"
#include "veknet/record_download.h"
#include "veknet/record_play.h"

namespace veknet {

struct Library {
    HandleRegistry<Connection> logins;
    HandleRegistry<RecordPlay> plays;
    HandleRegistry<RecordDownload> downloads;
};

Library& TheLibrary();

// Stops the login's downloads and plays, then the login; each stop waits for
// its threads. Unknown handles do nothing.
void StopLogin(uint32_t login);
// The same for every object of the library.
void StopEverything();

}  // namespace veknet
