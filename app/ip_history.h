// app/ip_history.h
//
// The history of network recorders logged in to, as the login form offers it:
// a list of {ip, port} texts, most recently used first, kept in the text file
// "TessorIpAndPort.fig" with one "ip port" line per entry.
//
// Reading takes each non-empty line that holds a blank: the text before the
// first blank is the ip, everything after it the port (so "ip 8000 extra"
// gives the port "8000 extra"); other lines are skipped, and CR LF and LF line
// ends both read. Writing puts the entries in list order, each line ended by
// CR LF, so that a file read back gives the same list.
//
// The file sits in a folder every user can write, so its size is not trusted:
// only the first kIpHistoryMaxBytes are read and at most kIpHistoryMaxEntries
// entries are kept.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>

struct IpPortEntry {
    std::string ip;
    std::string port;

    bool operator==(const IpPortEntry&) const = default;
};

using IpPortList = std::list<IpPortEntry>;

inline constexpr const char* kIpHistoryFileName = "TessorIpAndPort.fig";
inline constexpr size_t kIpHistoryMaxBytes = 1 << 20;
inline constexpr size_t kIpHistoryMaxEntries = 4096;

IpPortList ParseIpHistory(std::string_view text);
std::string FormatIpHistory(const IpPortList& entries);

// A login to `ip`: the first entry with exactly that ip (case-sensitive) goes,
// and {ip, port as decimal text} becomes the first entry.
void AddIpPortEntry(IpPortList& entries, const std::string& ip, int port);
