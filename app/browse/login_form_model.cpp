// app/browse/login_form_model.cpp
#include "app/browse/login_form_model.h"

#include <algorithm>

namespace browse {

PortEditResult FilterPortText(std::string_view typed, std::string_view lastAccepted) {
    const bool digitsOnly =
        std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digitsOnly)
        return {std::string(lastAccepted), true, true};
    long value = 0;
    for (char c : typed) {
        value = value * 10 + (c - '0');
        if (value > kMaxPort)
            return {std::to_string(kMaxPort), false, true};
    }
    return {std::string(typed), false, false};
}

int LoginStatusText(int status) {
    switch (status) {
        case 2:
        case 105:
            return kStrConnectionFails;
        case 103:
            return kStrNoUser;
        case 104:
            return kStrBadPassword;
        case 106:
            return kStrNoPermission;
        default:
            return 0;
    }
}

std::vector<std::string> IpComboItems(const IpPortList& history) {
    std::vector<std::string> items;
    for (const IpPortEntry& entry : history)
        items.push_back(entry.ip);
    if (!items.empty())
        items.push_back(kClearHistoryItem);
    return items;
}

IpComboChoice ChooseIpComboItem(int index, const IpPortList& history) {
    IpComboChoice choice;
    if (index < 0 || history.empty())
        return choice;
    if (static_cast<size_t>(index) == history.size()) {
        choice.clearHistory = true;
        return choice;
    }
    if (static_cast<size_t>(index) < history.size())
        choice.port = std::next(history.begin(), index)->port;
    return choice;
}

namespace {

constexpr int kRows = 5;
constexpr int kRowPitch = 30;
constexpr int kRowHeight = 21;

PanelLayout LayoutPanel(const play::PixelRect& client, int titleLeft, int labelWidth) {
    const int l = client.x, t = client.y, r = client.right();
    PanelLayout layout;
    layout.title = {l + titleLeft, t + 2, 100, 25};
    const int valueLeft = l + 5 + labelWidth;
    for (int i = 0; i < kRows; ++i) {
        layout.labels.push_back({l + 5, t + 37 + kRowPitch * i, labelWidth, kRowHeight});
        layout.values.push_back(
            {valueLeft, t + 35 + kRowPitch * i, std::max(0, r - 5 - valueLeft), kRowHeight});
    }
    return layout;
}

}  // namespace

PanelLayout LayoutLoginForm(const play::PixelRect& client) {
    PanelLayout layout = LayoutPanel(client, 90, 85);
    layout.status = {client.x + 5, client.y + 35 + kRowPitch * kRows, std::max(0, client.width - 10),
                     kRowHeight};
    return layout;
}

PanelLayout LayoutDeviceInfo(const play::PixelRect& client) {
    return LayoutPanel(client, 85, 100);
}

}  // namespace browse
