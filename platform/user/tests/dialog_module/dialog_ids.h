// Ids of DLGTEST.DLL, shared by its script and the tests.
#define IDD_SETTINGS 101
#define IDA_SETTINGS 201

#define IDC_NAME 1001
#define IDC_COUNT 1002
#define IDC_ENABLED 1003
#define IDC_SMALL 1004
#define IDC_MEDIUM 1005
#define IDC_LARGE 1006
#define IDC_MODE 1007

#define IDM_SAVE 3001
#define IDM_REFRESH 3002
#define IDM_RESET 3003
#define IDM_QUIT 3004

#define IDM_SETTINGS 401
#define IDM_FILE_OPEN 4001
#define IDM_FILE_EXIT 4002
#define IDM_VIEW_ZOOM 4003
