// app/browse/file_list_wnd.cpp
#include "app/browse/file_list_wnd.h"
