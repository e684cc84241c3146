#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include "win_types.h"

BOOL DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        wxInitialize();
        wxInitAllImageHandlers();
    } else if (reason == DLL_PROCESS_DETACH) {
        wxUninitialize();
    }
    return TRUE;
}
