// platform/paths.h
//
// File-system paths the way the platform writes them: '\' on Windows, '/'
// elsewhere. The program finds its skin, map page, language modules and
// databases beside its executable, so ExecutableDir is where those lookups
// start.
#pragma once

#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Full path of the running executable; "" if the system cannot tell.
std::string ExecutablePath();
// Its directory, without a trailing separator unless it is a root ("/",
// "C:\"); "" if unknown.
std::string ExecutableDir();

// `dir` + separator + `name`, without doubling a separator either side already
// has ('/' counts as one on Windows too). An empty side yields the other.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace platform
