// The Display control panel's texts and control ids that other modules look
// for: the Monitor page's assistant finds the Settings page, the display type
// dialog and the device list by these titles and clicks these controls. A
// resource module that must match them includes this header.
#pragma once

#define DESK_TITLE_SETTINGS "Settings"
#define DESK_TITLE_DISPLAY_TYPE "Change Display Type"
#define DESK_TITLE_SELECT_DEVICE "Select Device"

#define IDC_DISPLAY_TYPE_NAME 1210
#define IDC_CHANGE_DISPLAY_TYPE 1213
#define IDC_CHANGE_MONITOR 1304
