/* OLE 2: for the system, the COM basics of objbase.h. */
#ifndef _OLE2_H_
#define _OLE2_H_

#include <objbase.h>

#endif
