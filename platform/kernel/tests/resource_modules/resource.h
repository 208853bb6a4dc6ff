// Ids of the resource test modules.
#define IDD_CLASSIC 101
#define IDD_EXTENDED 102
#define IDM_MAIN 200
#define IDA_MAIN 300
#define IDB_TINY 400
#define IDI_APP 500
#define IDC_HAND 600
#define IDR_DATA 700

#define IDC_STATIC (-1)
#define IDC_RIGHT 1001
#define IDC_CENTRE 1002
#define IDC_PUSH 1003
#define IDC_CHECK 1004
#define IDC_AUTOCHECK 1005
#define IDC_RADIO 1006
#define IDC_AUTORADIO 1007
#define IDC_GROUP 1008
#define IDC_EDIT 1009
#define IDC_COMBO 1010
#define IDC_LIST 1011
#define IDC_SCROLL 1012
#define IDC_ICON 1013
#define IDC_ICON2 1014
#define IDC_TRACK 1015
#define IDC_GENERIC 1016
#define IDC_UPDOWN 1017
#define IDC_TREE 1018

#define IDM_OPEN 2001
#define IDM_EXIT 2002
#define IDM_ZOOM 2003
#define IDM_DEEP 2004
#define IDM_HELP 2005

#define IDS_FIRST 1
#define IDS_SECOND 2
#define IDS_LONG 15
#define IDS_NEXTBLOCK 16
#define IDS_QUOTE 17
#define IDS_FAR 1000
