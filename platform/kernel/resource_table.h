/* A module's resources as the resource compiler (tools/rc) emits them and the
   loader finds them: every module with resources defines the exported symbol
   `ovx_module_resources`. The data of each resource is exactly Win32's binary
   form (DLGTEMPLATE, menu template, string block, ...), so LockResource
   returns what a Windows program would read. Plain C layout: the generated
   source and the host agree on it without sharing code. */
#ifndef OVX_RESOURCE_TABLE_H
#define OVX_RESOURCE_TABLE_H

#include <windef.h>

#define OVX_RESOURCE_MAGIC 0x5258564FUL /* "OVXR" */
#define OVX_RESOURCE_VERSION 1

typedef struct OvxResourceEntry {
  const char *typeName; /* upper-case type name, or NULL when the type is typeId */
  const char *name;     /* upper-case resource name, or NULL when it is nameId */
  WORD typeId;
  WORD nameId;
  WORD language; /* MAKELANGID(primary, sub) */
  WORD reserved;
  const BYTE *data; /* DWORD-aligned, never NULL */
  DWORD size;
} OvxResourceEntry;

typedef struct OvxResourceTable {
  DWORD magic;   /* OVX_RESOURCE_MAGIC */
  DWORD version; /* OVX_RESOURCE_VERSION */
  DWORD count;
  const OvxResourceEntry *entries;
} OvxResourceTable;

#define OVX_MODULE_RESOURCES_SYMBOL "ovx_module_resources"

#endif
