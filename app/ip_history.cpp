// app/ip_history.cpp
#include "app/ip_history.h"

#include <algorithm>

IpPortList ParseIpHistory(std::string_view text) {
    IpPortList entries;
    text = text.substr(0, std::min(text.size(), kIpHistoryMaxBytes));
    while (!text.empty() && entries.size() < kIpHistoryMaxEntries) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t blank = line.find(' ');
        if (line.empty() || blank == std::string_view::npos)
            continue;
        entries.push_back({std::string(line.substr(0, blank)), std::string(line.substr(blank + 1))});
    }
    return entries;
}

std::string FormatIpHistory(const IpPortList& entries) {
    std::string text;
    for (const IpPortEntry& entry : entries) {
        text += entry.ip;
        text += ' ';
        text += entry.port;
        text += "\r\n";
    }
    return text;
}

void AddIpPortEntry(IpPortList& entries, const std::string& ip, int port) {
    const auto same = std::find_if(entries.begin(), entries.end(),
                                   [&ip](const IpPortEntry& entry) { return entry.ip == ip; });
    if (same != entries.end())
        entries.erase(same);
    entries.push_front({ip, std::to_string(port)});
}
