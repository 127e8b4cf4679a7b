#include "plugins/plugin_host.h"

#include "plugins/spi_plugin_list.h"

#include <cstdlib>
#include <filesystem>

void ReleasePluginPicture(PluginPicture* picture) {
    if (!picture)
        return;
    std::free(picture->header);
    std::free(picture->bits);
    std::free(picture->text);
    *picture = {};
}

CSpiPluginList& ThePluginList() {
    static CSpiPluginList list;
    return list;
}

std::string PluginFolderBesideExecutable() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ((ec ? std::filesystem::path(".") : exe.parent_path()) / "PlugIn").string();
}

int LoadPluginFolder(const std::string& folder) {
    return ThePluginList().LoadFolder(folder);
}

int LoadPluginsBesideExecutable() {
    static const int loaded = LoadPluginFolder(PluginFolderBesideExecutable());
    return loaded;
}

int CountPluginFormats() {
    return ThePluginList().CountFormats();
}

std::string BuildPluginFilter() {
    return ThePluginList().BuildFilter();
}

int DecodeWithPlugins(const char* path, PluginPicture* picture) {
    if (!path || !picture)
        return SPI_INTERNAL_ERROR;
    *picture = {};
    SpiBlock header{}, bits{};
    SpiPictureInfo info{};
    const int result = ThePluginList().Decode(path, &header, &bits, &info);
    if (result != SPI_SUCCESS)
        return result;
    picture->header = header.data;
    picture->headerBytes = size_t(header.size);
    picture->bits = bits.data;
    picture->bitsBytes = size_t(bits.size);
    picture->text = info.text;
    return SPI_SUCCESS;
}

int ReadPluginPictureInfo(const char* path, PluginPictureInfo* info) {
    if (!path || !info)
        return SPI_INTERNAL_ERROR;
    *info = {};
    SpiPictureInfo spi{};
    const int result = ThePluginList().ReadInfo(path, &spi);
    std::free(spi.text);
    if (result == SPI_SUCCESS)
        *info = {spi.width, spi.height, spi.color_depth};
    return result;
}
