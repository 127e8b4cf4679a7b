// The program's plug-in host: one list of image plug-ins for the whole run, loaded at
// start-up from the plug-in folder and unloaded at exit.
#pragma once

#include <cstddef>
#include <string>

class CSpiPluginList;

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

// Frees the three blocks and empties the record.
void ReleasePluginPicture(PluginPicture* picture);

// The process-wide list the functions below work on.
CSpiPluginList& ThePluginList();

// The folder "PlugIn" beside the running executable.
std::string PluginFolderBesideExecutable();

// Loads the image plug-ins of a folder; the number added.
int LoadPluginFolder(const std::string& folder);
// Loads the plug-ins of the folder beside the executable the first time it is called in a
// run; later calls load nothing. The number the first call loaded.
int LoadPluginsBesideExecutable();
// Formats over all loaded plug-ins.
int CountPluginFormats();
// The Open dialog's entries for the plug-ins' formats ("description|patterns|" pairs, the
// first one naming all patterns); empty when no plug-in reports a format.
std::string BuildPluginFilter();

// What a plug-in tells of a picture without decoding it.
struct PluginPictureInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0; // as stored in the file
};

// 0 on success, with the information of the first plug-in that claims the file and
// answers; otherwise the codes of DecodeWithPlugins.
int ReadPluginPictureInfo(const char* path, PluginPictureInfo* info);

// 0 on success, 2 when no plug-in decoded the file, 6 when the file cannot be read,
// 8 when an argument is missing. On any other result than 0 the record is left empty.
int DecodeWithPlugins(const char* path, PluginPicture* picture);
