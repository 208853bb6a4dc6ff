/* Property sheets: pages, sheet headers, their notifications and messages,
   and the add-page callback that shell extensions receive. */
#ifndef _PRSHT_H_
#define _PRSHT_H_

#include <windef.h>
#include <winuser.h>

EXTERN_C_START

#define MAXPROPPAGES 100

struct _PSP;
typedef struct _PSP *HPROPSHEETPAGE;

struct _PROPSHEETPAGEA;
typedef UINT(CALLBACK *LPFNPSPCALLBACKA)(HWND hwnd, UINT uMsg, struct _PROPSHEETPAGEA *ppsp);
#define LPFNPSPCALLBACK LPFNPSPCALLBACKA

/* PROPSHEETPAGEA.dwFlags */
#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080

/* Page callback messages: PSPCB_CREATE may refuse the page by returning 0. */
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

typedef struct _PROPSHEETPAGEA {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCSTR pszTemplate;
    LPCDLGTEMPLATEA pResource; /* a template in memory, with PSP_DLGINDIRECT */
  };
  union {
    HICON hIcon;
    LPCSTR pszIcon;
  };
  LPCSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKA pfnCallback;
  UINT *pcRefParent;
} PROPSHEETPAGEA, *LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA *LPCPROPSHEETPAGEA;
typedef PROPSHEETPAGEA PROPSHEETPAGE;
typedef LPPROPSHEETPAGEA LPPROPSHEETPAGE;
typedef LPCPROPSHEETPAGEA LPCPROPSHEETPAGE;

/* PROPSHEETHEADERA.dwFlags */
#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSH_RTLREADING 0x00000800

/* Sheet callback messages */
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

typedef int(CALLBACK *PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);

typedef struct _PROPSHEETHEADERA {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  union {
    HICON hIcon;
    LPCSTR pszIcon;
  };
  LPCSTR pszCaption;
  UINT nPages;
  union {
    UINT nStartPage;
    LPCSTR pStartPage;
  };
  union {
    LPCPROPSHEETPAGEA ppsp;
    HPROPSHEETPAGE *phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
} PROPSHEETHEADERA, *LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA *LPCPROPSHEETHEADERA;
typedef PROPSHEETHEADERA PROPSHEETHEADER;
typedef LPPROPSHEETHEADERA LPPROPSHEETHEADER;
typedef LPCPROPSHEETHEADERA LPCPROPSHEETHEADER;

typedef BOOL(CALLBACK *LPFNADDPROPSHEETPAGE)(HPROPSHEETPAGE, LPARAM);
typedef BOOL(CALLBACK *LPFNADDPROPSHEETPAGES)(LPVOID, LPFNADDPROPSHEETPAGE, LPARAM);

/* Notifications a page receives in WM_NOTIFY, hwndFrom = the sheet. */
#define PSN_FIRST (0U - 200U)
#define PSN_LAST (0U - 299U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_WIZBACK (PSN_FIRST - 6)
#define PSN_WIZNEXT (PSN_FIRST - 7)
#define PSN_WIZFINISH (PSN_FIRST - 8)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

/* The notification record: for PSN_APPLY lParam is TRUE when OK was pressed. */
typedef struct _PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;
} PSHNOTIFY, *LPPSHNOTIFY;

/* What a page answers to PSN_APPLY (in DWL_MSGRESULT). */
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

/* Messages to the sheet */
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_SETFINISHTEXTA (WM_USER + 115)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETTITLE PSM_SETTITLEA
#define PSM_SETFINISHTEXT PSM_SETFINISHTEXTA

/* PSM_PRESSBUTTON buttons */
#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

/* PSM_SETWIZBUTTONS flags */
#define PSWIZB_BACK 0x00000001
#define PSWIZB_NEXT 0x00000002
#define PSWIZB_FINISH 0x00000004
#define PSWIZB_DISABLEDFINISH 0x00000008

/* PropertySheetA's result after PSM_RESTARTWINDOWS / PSM_REBOOTSYSTEM */
#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

#define PropSheet_SetCurSel(hDlg, hpage, index) \
  SendMessageA(hDlg, PSM_SETCURSEL, (WPARAM)(index), (LPARAM)(hpage))
#define PropSheet_Changed(hDlg, hwnd) SendMessageA(hDlg, PSM_CHANGED, (WPARAM)(hwnd), 0L)
#define PropSheet_UnChanged(hDlg, hwnd) SendMessageA(hDlg, PSM_UNCHANGED, (WPARAM)(hwnd), 0L)
#define PropSheet_RestartWindows(hDlg) SendMessageA(hDlg, PSM_RESTARTWINDOWS, 0, 0L)
#define PropSheet_RebootSystem(hDlg) SendMessageA(hDlg, PSM_REBOOTSYSTEM, 0, 0L)
#define PropSheet_CancelToClose(hDlg) PostMessageA(hDlg, PSM_CANCELTOCLOSE, 0, 0L)
#define PropSheet_PressButton(hDlg, iButton) PostMessageA(hDlg, PSM_PRESSBUTTON, (WPARAM)(iButton), 0)
#define PropSheet_GetTabControl(hDlg) ((HWND)SendMessageA(hDlg, PSM_GETTABCONTROL, 0, 0))
#define PropSheet_GetCurrentPageHwnd(hDlg) ((HWND)SendMessageA(hDlg, PSM_GETCURRENTPAGEHWND, 0, 0L))
#define PropSheet_IsDialogMessage(hDlg, pMsg) ((BOOL)SendMessageA(hDlg, PSM_ISDIALOGMESSAGE, 0, (LPARAM)(pMsg)))
#define PropSheet_Apply(hDlg) ((BOOL)SendMessageA(hDlg, PSM_APPLY, 0, 0L))

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA lppsp);
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage);
INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph);
#define CreatePropertySheetPage CreatePropertySheetPageA
#define PropertySheet PropertySheetA

EXTERN_C_END

#ifdef __cplusplus
static_assert(sizeof(PROPSHEETPAGEA) == 40, "PROPSHEETPAGEA is 40 bytes");
static_assert(sizeof(PROPSHEETHEADERA) == 40, "PROPSHEETHEADERA is 40 bytes");
static_assert(sizeof(PSHNOTIFY) == 16, "PSHNOTIFY is 16 bytes");
#endif

#endif
