// app/browse/login_form_model.h
//
// The decisions of the network login form (CDlgLogin) and of the login
// statuses, without windows: what the port edit accepts, which text a login
// status shows, what the IP combo lists and what choosing one of its items
// does, and where the form's and the information panel's controls go.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/pixel_rect.h"
#include "app/ip_history.h"

namespace browse {

// The port edit: digits only, at most 65535.
inline constexpr int kMaxPort = 65535;
// The last item of the IP combo while the history holds entries.
inline constexpr const char* kClearHistoryItem = "---Clear---";

// Language strings of the login form, the information panel and the statuses.
inline constexpr int kStrDeviceName = 234;
inline constexpr int kStrMediaPort = 235;
inline constexpr int kStrIpAddress = 237;
inline constexpr int kStrUserName = 238;
inline constexpr int kStrPassword = 239;
inline constexpr int kStrNetType = 240;
inline constexpr int kStrLan = 242;
inline constexpr int kStrInternet = 243;
inline constexpr int kStrLoginTitle = 281;
inline constexpr int kStrDeviceInfo = 285;
inline constexpr int kStrChannelNum = 286;
inline constexpr int kStrConnectionFails = 305;
inline constexpr int kStrNoUser = 306;
inline constexpr int kStrBadPassword = 307;
inline constexpr int kStrNoPermission = 308;
inline constexpr int kStrLoggingIn = 309;

// The status line shows a status text this long, then empties itself.
inline constexpr int kLoginStatusTimerId = 1;
inline constexpr int kLoginStatusShowMs = 5000;

// What the port edit shows after a change: `typed` when it holds only digits
// (a value above 65535 becomes "65535"), else `lastAccepted` again (and the
// caret goes to its end). The result becomes the last accepted text.
struct PortEditResult {
    std::string text;
    bool restored = false;  // the typed text was refused
    bool changed = false;   // the edit must show `text` (it differs from `typed`)
};
PortEditResult FilterPortText(std::string_view typed, std::string_view lastAccepted);

// The language string a login status shows, or 0 for a status that shows
// nothing (101, 102 and anything unknown).
int LoginStatusText(int status);

// The IP combo's items: every history entry's address in history order
// (most recent first), then kClearHistoryItem when there is any.
std::vector<std::string> IpComboItems(const IpPortList& history);

// Choosing item `index` of the IP combo.
struct IpComboChoice {
    bool clearHistory = false;        // the "---Clear---" item
    std::optional<std::string> port;  // an entry: its port for the port edit
};
IpComboChoice ChooseIpComboItem(int index, const IpPortList& history);

// The two panels: the title, then label and value rows (login form: IP, port,
// user, password, net type and the status line under them; information
// panel: device name, IP, port, user, channel count).
struct PanelLayout {
    play::PixelRect title;
    std::vector<play::PixelRect> labels;
    std::vector<play::PixelRect> values;
    play::PixelRect status;  // the login form only
};
PanelLayout LayoutLoginForm(const play::PixelRect& client);
PanelLayout LayoutDeviceInfo(const play::PixelRect& client);

}  // namespace browse
