// app/play/play_wnd.cpp
#include "app/play/play_wnd.h"
