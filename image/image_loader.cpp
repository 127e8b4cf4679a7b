#include "image/loaders.h"

#include "image/picture_file.h"
#include "image/sampled_picture.h"
#include "plugins/plugin_host.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstring>

namespace {

// The extension with its dot, taken from the file name only; empty when there is none.
// UTF-8 continuation bytes are never '/' or '.', so a byte search is safe.
std::string Extension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    return path.substr(dot);
}

// A plug-in's picture is widened to 24 bits here, a second copy beside the plug-in's own;
// one far bigger than its file can mean is refused before that copy is made.
bool PluginPictureAffordable(const PluginPicture& picture, const std::string& path) {
    PackedDib header;
    if (!picture.header || picture.headerBytes < sizeof header)
        return true; // refused as damaged when it is made
    std::memcpy(&header, picture.header, sizeof header);
    struct stat info {};
    const int64_t height = header.height < 0 ? -int64_t(header.height) : header.height;
    return ::stat(path.c_str(), &info) != 0 ||
           LoadCostAllowed(LoadedPictureBytes(header.bitCount, header.width, height),
                           uint64_t(info.st_size));
}

DibPtr DecodeThroughPlugins(const std::string& path, LoadError* error) {
    PluginPicture picture;
    const int status = DecodeWithPlugins(path.c_str(), &picture);
    DibPtr dib;
    if (status == 0 && !PluginPictureAffordable(picture, path)) {
        if (error)
            *error = LoadError::Damaged;
    } else if (status == 0) {
        dib = DibFromHeaderAndBits(picture.header, picture.headerBytes, picture.bits,
                                   picture.bitsBytes);
        if (error)
            *error = dib ? LoadError::None : LoadError::Damaged;
    } else if (error) {
        *error = status == 6 ? LoadError::NotFound : LoadError::Unsupported;
    }
    ReleasePluginPicture(&picture);
    return dib;
}

// Pictures of 8 bits or fewer go on at 24 bits; a truncated one stays reported as such.
DibPtr WidenPalettePicture(DibPtr dib, LoadError* why) {
    if (!dib)
        return nullptr;
    if (DibBitCount(dib.get()) <= 8) {
        dib = DibConvertDepth(dib.get(), 24);
        if (!dib) {
            *why = LoadError::TooLarge;
            return nullptr;
        }
    }
    if (*why != LoadError::Truncated)
        *why = LoadError::None;
    return dib;
}

} // namespace

const char* LoadErrorText(LoadError error) {
    switch (error) {
    case LoadError::None:
        return "loaded";
    case LoadError::NoExtension:
        return "the file name has no extension";
    case LoadError::NotFound:
        return "file missing or unreadable";
    case LoadError::NotAFile:
        return "not a regular file";
    case LoadError::Unsupported:
        return "unsupported format";
    case LoadError::Damaged:
        return "damaged file";
    case LoadError::TooLarge:
        return "picture too large";
    case LoadError::Truncated:
        return "the file is cut short; the missing part is filled in";
    }
    return "unknown error";
}

DibPtr LoadImageFile(const std::string& path, LoadError* error) {
    LoadError local = LoadError::None;
    LoadError* why = error ? error : &local;
    const std::string ext = Extension(path);
    if (ext.empty()) {
        *why = LoadError::NoExtension;
        return nullptr;
    }
    DibPtr dib;
    if (strcasecmp(ext.c_str(), ".bmp") == 0)
        dib = ReadBmpFile(path, why);
    else if (strcasecmp(ext.c_str(), ".png") == 0)
        dib = ReadPngFile(path, nullptr, why);
    else if (strcasecmp(ext.c_str(), ".jpg") == 0 || strcasecmp(ext.c_str(), ".jpeg") == 0)
        dib = ReadJpegPicture(path, why);
    else if ((*why = CheckPictureFile(path)) == LoadError::None)
        dib = DecodeThroughPlugins(path, why); // plug-ins open the file themselves
    return WidenPalettePicture(std::move(dib), why);
}

bool ReadPictureInfo(const std::string& path, PictureInfo* info, LoadError* error) {
    LoadError local = LoadError::None;
    LoadError* why = error ? error : &local;
    const std::string ext = Extension(path);
    if (ext.empty()) {
        *why = LoadError::NoExtension;
        return false;
    }
    if (strcasecmp(ext.c_str(), ".bmp") == 0)
        return ReadBmpInfo(path, info, why);
    if (strcasecmp(ext.c_str(), ".png") == 0)
        return ReadPngInfo(path, info, why);
    if (strcasecmp(ext.c_str(), ".jpg") == 0 || strcasecmp(ext.c_str(), ".jpeg") == 0)
        return ReadJpegInfo(path, info, why);
    if ((*why = CheckPictureFile(path)) != LoadError::None)
        return false;
    PluginPictureInfo plugin;
    const int status = ReadPluginPictureInfo(path.c_str(), &plugin);
    if (status != 0) {
        *why = status == 6 ? LoadError::NotFound : LoadError::Unsupported;
        return false;
    }
    // Judged as the picture the plug-in would deliver, widened as loading widens it.
    const int bits = plugin.bitCount == 16 || plugin.bitCount == 32 ? plugin.bitCount : 24;
    struct stat file {};
    if (plugin.width <= 0 || plugin.height <= 0) {
        *why = LoadError::Damaged;
        return false;
    }
    if (!DibShapeLoadable(bits, plugin.width, plugin.height)) {
        *why = LoadError::TooLarge;
        return false;
    }
    if (::stat(path.c_str(), &file) == 0 &&
        !LoadCostAllowed(LoadedPictureBytes(bits, plugin.width, plugin.height),
                         uint64_t(file.st_size))) {
        *why = LoadError::Damaged;
        return false;
    }
    *info = {plugin.width, plugin.height, bits};
    *why = LoadError::None;
    return true;
}

bool LoadPictureSamples(const std::string& path, SampledPicture* samples, LoadError* error) {
    LoadError local = LoadError::None;
    LoadError* why = error ? error : &local;
    if (!samples || samples->Empty()) {
        *why = LoadError::Damaged;
        return false;
    }
    const std::string ext = Extension(path);
    if (strcasecmp(ext.c_str(), ".png") == 0)
        return ReadPngSamples(path, samples, why);
    if (strcasecmp(ext.c_str(), ".jpg") == 0 || strcasecmp(ext.c_str(), ".jpeg") == 0)
        return ReadJpegSamples(path, samples, why);
    DibPtr dib = LoadImageFile(path, why);
    if (!dib)
        return false;
    if (DibWidth(dib.get()) != samples->Width() || DibHeight(dib.get()) != samples->Height()) {
        *why = LoadError::Damaged;
        return false;
    }
    // Deep BMP and plug-in pictures are widened row by row, as the document widens them.
    const SampleGrid& grid = samples->Grid();
    std::vector<uint8_t> row(size_t(DibWidth(dib.get())) * 3);
    for (size_t index = 0; index < grid.rows.size(); ++index) {
        DibWidenRow(dib.get(), DibHeight(dib.get()) - 1 - grid.rows[index], row.data());
        samples->StoreRow(index, row.data(), 0);
    }
    return true;
}

DibPtr LoadBmpMemory(const void* data, size_t size, LoadError* error) {
    LoadError local = LoadError::None;
    LoadError* why = error ? error : &local;
    return WidenPalettePicture(ReadBmpMemory(data, size, why), why);
}

std::vector<PaletteColor> MakePaletteFromChannels(int count, const uint8_t* red,
                                                  const uint8_t* green, const uint8_t* blue) {
    std::vector<PaletteColor> palette;
    if (count <= 0 || !red)
        return palette;
    if (!green)
        green = red;
    if (!blue)
        blue = green;
    palette.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        palette.push_back(0xFF000000u | (PaletteColor(red[i]) << 16) |
                          (PaletteColor(green[i]) << 8) | blue[i]);
    return palette;
}
