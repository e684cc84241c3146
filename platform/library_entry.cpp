// Stands in for the operating system's DLL notifications: a module-level
// object that is constructed after every other module object of the library
// and destroyed before any of them, calling the library's load entry on the
// way in and on the way out.
#include <dlfcn.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include "load_order.h"
#include "win_types.h"

namespace {

// The toolkit and the GTK libraries under it register types with GLib,
// which never forgets them; were they unloaded with this library and
// loaded again with the next load, their registrations would clash. The
// system libraries under a DLL stay loaded too.
void keepResident(const void* symbolInLibrary) {
    Dl_info info{};
    if (dladdr(symbolInLibrary, &info) == 0 || info.dli_fname == nullptr) return;
    // The handle only marks the library as never unloaded; it is not kept.
    dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

struct LibraryEntry {
    LibraryEntry() {
        keepResident(reinterpret_cast<const void*>(&wxEntryCleanup));
        keepResident(reinterpret_cast<const void*>(&wxInitAllImageHandlers));
        // Toolkit assertions would print or trap inside the host's process;
        // the library reports failures through its results only.
        wxSetAssertHandler(nullptr);
        DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    }
    ~LibraryEntry() { DllMain(nullptr, DLL_PROCESS_DETACH, nullptr); }
};

OSTRIM_LIBRARY_ENTRY_OBJECT LibraryEntry libraryEntry;

}  // namespace
