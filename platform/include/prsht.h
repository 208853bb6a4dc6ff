/* Property sheets: the page handle and the add-page callback that shell
   extensions receive. */
#ifndef _PRSHT_H_
#define _PRSHT_H_

#include <windef.h>

struct _PSP;
typedef struct _PSP *HPROPSHEETPAGE;

typedef BOOL(CALLBACK *LPFNADDPROPSHEETPAGE)(HPROPSHEETPAGE, LPARAM);
typedef BOOL(CALLBACK *LPFNADDPROPSHEETPAGES)(LPVOID, LPFNADDPROPSHEETPAGE, LPARAM);

#endif
