// veknet/library.cpp
#include "veknet/library.h"

namespace veknet {

Library& TheLibrary() {
    static Library* library = new Library();  // outlives every static destructor
    return *library;
}

namespace {

template <typename T>
void StopAll(const std::vector<std::shared_ptr<T>>& objects) {
    for (const auto& object : objects)
        object->Stop();
}

}  // namespace

void StopLogin(uint32_t login) {
    if (login == 0)
        return;
    Library& lib = TheLibrary();
    const std::shared_ptr<Connection> connection = lib.logins.Take(login);
    StopAll(lib.downloads.TakeOwnedBy(login));
    StopAll(lib.plays.TakeOwnedBy(login));
    if (connection)
        connection->Stop();
}

void StopEverything() {
    Library& lib = TheLibrary();
    StopAll(lib.downloads.TakeOwnedBy(0));
    StopAll(lib.plays.TakeOwnedBy(0));
    StopAll(lib.logins.TakeOwnedBy(0));
}

}  // namespace veknet
