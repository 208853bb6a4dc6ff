/* Common controls. Only the trackbar's scroll codes so far: the code a
   trackbar sends in the low word of WM_HSCROLL / WM_VSCROLL. */
#ifndef _INC_COMMCTRL
#define _INC_COMMCTRL

#include <windef.h>

#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

#endif
