#include "plugins/plugin_host.h"

// No plug-in host yet: every picture outside the built-in formats is unsupported.
int DecodeWithPlugins(const char* path, PluginPicture* picture) {
    if (!path || !picture)
        return 8;
    return 2;
}
