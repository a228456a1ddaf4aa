// app/play/playback_tool_wnd.cpp
#include "app/play/playback_tool_wnd.h"
