// res/sensor_panel_ids.h
//
// Ids of the sensor panel's resources: its buttons' picture and its controls
// (IDD_MIMIC is in playback_ids.h; the chart's zoom buttons and cursors are
// the time bar's, IDB_TIMEBAR_ZOOM and IDC_TIMEBAR_GRAB / IDC_TIMEBAR_POINT).
#pragma once

// Pictures.
#define IDB_SENSOR_BUTTON 200  // the quantity buttons: normal, hovered, pressed, disabled (90 x 22 each)

// Controls.
#define IDC_SENSOR_CHART 1  // the curve chart, made at run time
#define IDC_SENSOR_SPEED 1094
#define IDC_SENSOR_ACCELERATION 1095
#define IDC_SENSOR_TEMPERATURE 1096
#define IDC_SENSOR_VOLTAGE 1097
#define IDC_SENSOR_ALARM 1158
#define IDC_SENSOR_LABEL_FIRST 1226  // the fourteen labels, 1226 .. 1239:
#define IDC_SENSOR_LABEL_LAST 1239   // speed, acceleration X Y Z, temperature, voltage, IO1 .. IO8
