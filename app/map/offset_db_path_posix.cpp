// app/map/offset_db_path_posix.cpp
#include "app/map/offset_db.h"
#include "platform/paths.h"

std::string OffsetDbPath() {
    return platform::JoinPath(platform::ExecutableDir(), kOffsetDbFileName);
}
