/* Included before the headers whose identifiers a module defines itself. */
#ifndef INITGUID
#define INITGUID
#endif
#include <guiddef.h>
