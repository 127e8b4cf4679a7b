// Decoding pictures through the image plug-ins of the plug-in folder.
#pragma once

#include <cstddef>

// What a plug-in delivered: blocks it allocated with malloc, released by the caller with
// free(). The lengths are what the plug-in reported; the caller checks the header against
// them before reading.
struct PluginPicture {
    void* header = nullptr; // bitmap header followed by its colour table
    size_t headerBytes = 0;
    void* bits = nullptr; // bottom-up pixel rows
    size_t bitsBytes = 0;
    void* text = nullptr; // optional text information
};

// 0 on success, 2 when no plug-in decoded the file, 6 when the file cannot be read,
// 8 when an argument is missing.
int DecodeWithPlugins(const char* path, PluginPicture* picture);
