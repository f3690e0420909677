// Linked into the sanitizer build only. Mesa unloads its driver when the display closes, and
// LeakSanitizer then cannot name the module of the driver's one-time allocations, so no
// suppression can match them. Holding the driver loaded keeps their stacks readable.
#include <dlfcn.h>
#include <initializer_list>

namespace {

struct sKeepGLDriverLoaded
{
    sKeepGLDriverLoaded()
    {
        for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                                 "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so"}) {
            if (dlopen(path, RTLD_LAZY | RTLD_NODELETE))
                break;
        }
    }
} g_KeepGLDriverLoaded;

} // namespace
