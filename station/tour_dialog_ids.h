// Ids of TOURDLG.DLL, the resource module the tour opens a dialog from.
#define IDD_TOUR 101

#define IDC_TOUR_NAME 1001
#define IDC_TOUR_REFRESH 1002
#define IDC_TOUR_PAN 1003
#define IDC_TOUR_SMALL 1004
#define IDC_TOUR_LARGE 1005
#define IDC_TOUR_MODE 1006
