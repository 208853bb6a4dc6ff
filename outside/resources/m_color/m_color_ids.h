// Resource numbers of M_COLOR.DLL, the Colour page's resource module.
#pragma once

#define IDD_COLOUR_PAGE 200
#define IDI_COLOUR_PAGE 100
#define IDS_NO_GAMMA 10

#define IDC_PREVIEW 201
#define IDC_GAMMA_FRAME 210
#define IDC_RED 211
#define IDC_RED_VALUE 212
#define IDC_GREEN 213
#define IDC_GREEN_VALUE 214
#define IDC_BLUE 215
#define IDC_BLUE_VALUE 216
#define IDC_DARKER 217
#define IDC_LIGHTER 218
#define IDC_LINK 219
#define IDC_WHITE_FRAME 220
#define IDC_WHITE 221
#define IDC_WHITE_VALUE 222
#define IDC_WARMER 223
#define IDC_COOLER 224
#define IDC_RESET_TEXT 233
#define IDC_RESET 234
#define IDC_DEFAULTS_FRAME 1018
#define IDC_RED_NAME 1020
#define IDC_GREEN_NAME 1021
#define IDC_BLUE_NAME 1023
