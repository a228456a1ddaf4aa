// tests/gui/pipeline/pipeline_res.h
#pragma once

#define IDB_STRIP 300
#define IDI_PROBE 301
#define IDS_CAPTION 151
#define IDS_RESTART 266
#define IDS_ONLY_IN_PROGRAM 322
