// res/device_list_ids.h
//
// Ids of the network recorder list's, the login form's and the device
// information panel's resources: pictures, dialogs and controls
// (IDD_DEVICE_LIST is in playback_ids.h).
#pragma once

// Dialog templates.
#define IDD_LOGIN 211        // the login form at the top of the recorder list
#define IDD_DEVICE_INFO 270  // the device information panel in its place once logged in

// Pictures.
#define IDB_DEVICE_TREE 193    // the tree's images, 18 x 18 each: 1 the recorder, 4 a channel
#define IDB_DEVICE_BUTTON 195  // the list's four buttons: playback.rc's IDB_PANEL_BUTTON

// The recorder list.
#define IDC_DEVICE_TREE 1045  // the recorder and its channels, with check boxes
#define IDC_MONTH_SEARCH 1049
#define IDC_DAY_SEARCH 1050
#define IDC_DEVICE_CALENDAR 1051  // the month calendar (made at run time)
#define IDC_DEVICE_LOGIN 1216
#define IDC_DEVICE_LOGOUT 1217

// The login form.
#define IDC_LOGIN_IP_LABEL 1170
#define IDC_LOGIN_IP 1171  // the address, with the history of recorders logged in to
#define IDC_LOGIN_PORT_LABEL 1172
#define IDC_LOGIN_PORT 1173
#define IDC_LOGIN_USER_LABEL 1174
#define IDC_LOGIN_USER 1175
#define IDC_LOGIN_PASSWORD_LABEL 1176
#define IDC_LOGIN_PASSWORD 1177
#define IDC_LOGIN_NET_TYPE_LABEL 1178
#define IDC_LOGIN_NET_TYPE 1179  // "LAN", "Internet"
#define IDC_LOGIN_TITLE 1180     // "LOGIN"
#define IDC_LOGIN_STATUS 1181    // "Login......", then the status's text

// The device information panel (port and user share the login form's ids).
#define IDC_INFO_TITLE 1219  // "Device Info"
#define IDC_INFO_NAME_LABEL 1220
#define IDC_INFO_IP_LABEL 1221
#define IDC_INFO_PORT_LABEL 1222
#define IDC_INFO_USER_LABEL 1223
#define IDC_INFO_CHANNELS_LABEL 1224
#define IDC_INFO_NAME 1225
#define IDC_INFO_IP 1226
#define IDC_INFO_CHANNELS 1229
