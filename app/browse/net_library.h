// app/browse/net_library.h
//
// What the network recorder list asks of the network library (VekNet): the
// login, the device information and the record queries, with the library's
// own request records. The list's model runs against fakes of it;
// VekNetLibrary forwards to VekNet's exports.
#pragma once

#include <cstdint>

#include "veknet/veknet_api.h"

namespace browse {

class NetLibrary {
  public:
    virtual ~NetLibrary() = default;

    // The login handle (0: the request was refused at once); the outcome comes
    // later as the request's message.
    virtual uint32_t ConnectionStart(const NetLoginRequest& request) = 0;
    // Ends the login and sets *login to 0.
    virtual void ConnectionStop(uint32_t* login) = 0;
    // Fills `buffer` (VEKNET_DEVINFO_SIZE bytes); the device name, or NULL.
    virtual const char* GetDevInfo(uint32_t login, uint8_t* buffer, int32_t size) = 0;
    // Calls the query's callbacks once per day or record; the number found.
    virtual int32_t QueryRecord(uint32_t login, const NetRecordQuery& query) = 0;
};

// The real library.
class VekNetLibrary final : public NetLibrary {
  public:
    uint32_t ConnectionStart(const NetLoginRequest& request) override;
    void ConnectionStop(uint32_t* login) override;
    const char* GetDevInfo(uint32_t login, uint8_t* buffer, int32_t size) override;
    int32_t QueryRecord(uint32_t login, const NetRecordQuery& query) override;
};

}  // namespace browse
