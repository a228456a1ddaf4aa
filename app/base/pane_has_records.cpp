// app/base/pane_has_records.cpp
#include "app/base/pane_has_records.h"

int g_diskPaneHasRecords[4] = {0, 0, 0, 0};
int g_netPaneHasRecords[4] = {0, 0, 0, 0};
