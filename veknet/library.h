// veknet/library.h
//
// The library's process state: the live logins, plays and downloads by
// handle. Plays and downloads are owned by the login they were started on.
#pragma once

#include <cstdint>

#include "platform/handle_registry.h"
#include "veknet/connection.h"
#include "veknet/record_download.h"
#include "veknet/record_play.h"

namespace veknet {

using platform::HandleRegistry;

// One counter for the three registries: a login, a play and a download never
// share a handle, so a handle given to the wrong call finds nothing.
struct Library {
    platform::HandleCounter handles;
    HandleRegistry<Connection> logins{&handles};
    HandleRegistry<RecordPlay> plays{&handles};
    HandleRegistry<RecordDownload> downloads{&handles};
};

Library& TheLibrary();

// Stops the login's downloads and plays, then the login; each stop waits for
// its threads. Unknown handles do nothing.
void StopLogin(uint32_t login);
// The same for every object of the library.
void StopEverything();

}  // namespace veknet
