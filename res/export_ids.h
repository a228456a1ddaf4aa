// res/export_ids.h
//
// Ids of the export-by-date dialog's and the .264-to-AVI converter's
// templates and controls.
#pragma once

// Dialog templates.
#define IDD_264_TO_AVI 202      // the .264-to-AVI converter
#define IDD_EXPORT_BY_DATE 205  // export by date

// Export by date.
#define IDC_EXPORT_DESTINATION 1103        // the destination folder (shown only)
#define IDC_EXPORT_DESTINATION_LABEL 1116  // "Destination"
#define IDC_EXPORT_START 1117              // "Export"
#define IDC_EXPORT_BROWSE 1119             // "...": the destination folder
#define IDC_EXPORT_FROM_LABEL 1120         // "Start Time"
#define IDC_EXPORT_TO_LABEL 1121           // "End Time"
#define IDC_EXPORT_FROM 1122               // time pickers: the span of the day
#define IDC_EXPORT_TO 1123
#define IDC_EXPORT_PROGRESS 1126        // per mille of the row being exported
#define IDC_EXPORT_DATE_LABEL 1144      // "Date"
#define IDC_EXPORT_DATE 1145            // date picker: the day to search
#define IDC_EXPORT_ROWS 1150            // the rows found
#define IDC_EXPORT_SEARCH 1151          // "Search"
#define IDC_EXPORT_SELECT_CHANNEL 1152  // "Select Channel"
#define IDC_EXPORT_STOP 1185            // "Stop"
#define IDC_EXPORT_PERCENT 1240         // "%d%%" of the progress, or the error text

// The converter.
#define IDC_CONVERT_START 1102        // "Convert"
#define IDC_CONVERT_DESTINATION 1103  // the AVI file (shown only)
#define IDC_CONVERT_BROWSE_DESTINATION 1104
#define IDC_CONVERT_BROWSE_SOURCE 1105
#define IDC_CONVERT_DESTINATION_LABEL 1116  // "Destination"
#define IDC_CONVERT_PROGRESS 1118           // per mille read of the source
#define IDC_CONVERT_SOURCE_LABEL 1127       // "Source"
#define IDC_CONVERT_SOURCE 1128             // the .264 file (shown only)
#define IDC_CONVERT_TITLE 1129              // "264ToAvi"
#define IDC_CONVERT_TIME_LABEL 1130         // "Convert Time"
#define IDC_CONVERT_SECONDS 1131            // seconds taken, "%.3f"
#define IDC_CONVERT_SECONDS_UNIT 1132       // "S"
#define IDC_CONVERT_STOP 1183               // "Stop"
#define IDC_CONVERT_PERCENT 1242            // "%d%%" of the progress, or the error text
