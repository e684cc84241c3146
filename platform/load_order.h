// Construction order of the library's module-level objects. Objects of one
// group are built in declaration order; groups are built in the order below
// and destroyed in reverse, so the toolkit is started after every module
// object exists and stopped before any of them goes away.
#ifndef OSTRIM_LOAD_ORDER_H
#define OSTRIM_LOAD_ORDER_H

// The routing settings (the data folder) come first, then the routing
// module's file handles.
#define OSTRIM_ROUTING_SETTINGS_OBJECT __attribute__((init_priority(2000)))
#define OSTRIM_ROUTING_OBJECT __attribute__((init_priority(2001)))
#define OSTRIM_SHEET_OBJECT __attribute__((init_priority(2002)))
#define OSTRIM_RENDERER_OBJECT __attribute__((init_priority(2003)))
#define OSTRIM_LIBRARY_ENTRY_OBJECT __attribute__((init_priority(2004)))

#endif
