// app/fileplay/file_play_layout.cpp
#include "app/fileplay/file_play_layout.h"

#include <algorithm>

#include "res/file_play_ids.h"

namespace play {

namespace {

// The rectangle from (left, top) to (right, bottom), never of negative size.
PixelRect Span(int left, int top, int right, int bottom) {
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

}  // namespace

FilePageRects LayOutFilePage(const PixelRect& client, bool listShown) {
    const int left = client.x;
    const int top = client.y;
    const int right = client.right();
    const int bottom = client.bottom();
    const int edge = listShown ? right - kFileListWidth : right - 2;

    FilePageRects r;
    r.video = Span(left + 2, top + 2, edge, bottom - kFileBarHeight);
    r.list = Span(edge + 2, top + 2, right - 2, bottom - 2);
    r.listShown = listShown;
    r.bar = Span(left + 2, bottom - kFileBarHeight + 2, edge, bottom - 2);
    r.popup = {r.video.x + (r.video.width - kOpenPopupWidth) / 2,
               r.video.y + (r.video.height - kOpenPopupHeight) / 2, kOpenPopupWidth, kOpenPopupHeight};
    return r;
}

std::vector<ToolbarPlacement> LayOutFileBar(const PixelRect& client) {
    const int left = client.x;
    const int top = client.y;
    const int right = client.right();
    const int x0 = left + (right - left - 300) / 2;
    const int row = top + 30;
    const int side = top + 31;
    return {
        {IDC_FP_SPEED_DOWN, {left + 1, top + 5, 17, 8}},
        {IDC_FP_SEEK, Span(left + 19, top, right - 18, top + 18)},
        {IDC_FP_SPEED_UP, {right - 17, top + 5, 17, 8}},
        {IDC_FP_TIME, {left + 5, top + 35, 120, 22}},
        {IDC_FP_STATE, {left + 185, top + 35, 100, 22}},
        {IDC_FP_OPEN, {x0, row, 24, 24}},
        {IDC_FP_PREVIOUS, {x0 + 34, row, 24, 24}},
        {IDC_FP_PLAY, {x0 + 68, top + 25, 38, 34}},
        {IDC_FP_PAUSE, {x0 + 68, top + 25, 38, 34}},
        {IDC_FP_NEXT, {x0 + 116, row, 24, 24}},
        {IDC_FP_STOP, {x0 + 150, row, 24, 24}},
        {IDC_FP_MUTE, {x0 + 223, top + 34, 15, 15}},
        {IDC_FP_VOLUME, {x0 + 248, top + 33, 100, 18}},
        {IDC_FP_LIST_SHOW, {right - 28, side, 23, 21}},
        {IDC_FP_CAPTURE, {right - 56, side, 23, 21}},
        {IDC_FP_WATERMARK, {right - 84, side, 23, 21}},
        {IDC_FP_TOOLS, {right - 112, side, 23, 21}},
    };
}

std::vector<ToolbarPlacement> LayOutPlayList(const PixelRect& client) {
    const int left = client.x;
    const int top = client.y;
    const int right = client.right();
    const int bottom = client.bottom();
    const int buttons = bottom - 22;
    return {
        {IDC_PLAY_LIST_TITLE, {left, top, 120, 25}},
        {IDC_PLAY_LIST_ROWS, Span(left, top + 26, right - 12, bottom - 37)},
        {IDC_PLAY_LIST_CLEAR, {right - 27, buttons, 26, 14}},
        {IDC_PLAY_LIST_DELETE, {right - 54, buttons, 26, 14}},
        {IDC_PLAY_LIST_ADD, {right - 81, buttons, 26, 14}},
    };
}

std::vector<ToolbarPlacement> LayOutOpenPopup(const PixelRect& client) {
    // The two buttons side by side, centred across the popup.
    const int x = client.x + (client.width - 142) / 2;
    const int y = client.y + 140;
    return {
        {IDC_OPEN_FILE, {x, y, 120, 28}},
        {IDC_OPEN_FOLDER, {x + 120, y, 22, 28}},
    };
}

}  // namespace play
