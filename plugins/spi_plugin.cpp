#include "plugins/spi_plugin.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <dlfcn.h>
#include <link.h>

namespace {

const char* const kEntryNames[kSpiEntryCount] = {
    "GetPluginInfo",  "IsSupported", "GetPictureInfo", "GetPicture",       "GetPreview",
    "GetArchiveInfo", "GetFileInfo", "GetFile",        "ConfigurationDlg",
};

struct TypeCode {
    char third, fourth;
    uint8_t type;
};
const TypeCode kTypeCodes[] = {
    {'I', 'N', kSpiTypeImage},      {'I', 'M', kSpiTypeImageExtended},
    {'X', 'N', kSpiTypeExport},     {'X', 'M', kSpiTypeExportExtended},
    {'A', 'N', kSpiTypeArchive},    {'A', 'M', kSpiTypeArchiveExtended},
    {'C', 'N', kSpiTypeConversion}, {'E', 'N', kSpiTypeEffect},
};

template <typename Proc> Proc As(void* entry) {
    return reinterpret_cast<Proc>(entry);
}

} // namespace

const char* SpiEntryName(SpiEntry entry) {
    return kEntryNames[int(entry)];
}

uint8_t SpiInterfaceType(const char* version, int32_t written) {
    if (!version || written < 4 || version[0] != '0' || version[1] != '0')
        return 0;
    for (const TypeCode& code : kTypeCodes)
        if (version[2] == code.third && version[3] == code.fourth)
            return code.type;
    return 0;
}

bool CSpiPlugin::Load(const std::string& path, std::string* why) {
    Unload();
    // A name without a folder would send dlopen searching the library path.
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    void* module = dlopen(ec ? path.c_str() : absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        if (why) {
            const char* error = dlerror();
            *why = error ? error : "cannot be loaded";
        }
        return false;
    }
    module_ = module;

    link_map* map = nullptr;
    if (dlinfo(module_, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
        fullPath_ = map->l_name;
    else
        fullPath_ = absolute;
    fileName_ = std::filesystem::path(fullPath_).filename().string();

    for (int i = 0; i < kSpiEntryCount; ++i)
        entries_[i] = dlsym(module_, kEntryNames[i]);
    if (!Has(SpiEntry::GetPluginInfo)) {
        if (why)
            *why = "no GetPluginInfo";
        Unload();
        return false;
    }

    std::string version;
    const int32_t written = Info(SPI_INFO_VERSION, &version, SPI_VERSION_BUFFER_BYTES);
    type_ = SpiInterfaceType(version.c_str(), written);

    int count = 0;
    while (count < kMaxFormats && Info(SPI_INFO_PATTERN(count), nullptr) != 0)
        ++count;
    for (int k = 0; k < count; ++k) {
        std::string pattern, name;
        Info(SPI_INFO_PATTERN(k), &pattern);
        Info(SPI_INFO_NAME(k), &name);
        patterns_.push_back(std::move(pattern));
        names_.push_back(std::move(name));
    }
    return true;
}

void CSpiPlugin::Unload() {
    if (module_)
        dlclose(module_);
    module_ = nullptr;
    fullPath_.clear();
    fileName_.clear();
    type_ = 0;
    patterns_.clear();
    names_.clear();
    std::fill(std::begin(entries_), std::end(entries_), nullptr);
}

int32_t CSpiPlugin::Info(int32_t number, std::string* text, size_t bufferBytes) const {
    if (text)
        text->clear();
    if (!Has(SpiEntry::GetPluginInfo) || bufferBytes == 0)
        return 0;
    std::vector<char> buffer(bufferBytes, 0);
    const int32_t written = As<SpiGetPluginInfoProc>(entries_[int(SpiEntry::GetPluginInfo)])(
        number, buffer.data(), int32_t(bufferBytes));
    if (text && written > 0) {
        // Trust neither the count nor a terminating NUL.
        const size_t limit = std::min(size_t(written), bufferBytes);
        const char* begin = buffer.data();
        text->assign(begin, std::find(begin, begin + limit, '\0'));
    }
    return written;
}

int32_t CSpiPlugin::IsSupported(const char* path, const uint8_t* head) const {
    if (!Has(SpiEntry::IsSupported))
        return 0;
    return As<SpiIsSupportedProc>(entries_[int(SpiEntry::IsSupported)])(path, head);
}

int32_t CSpiPlugin::GetPicture(const char* path, uint32_t flag, SpiBlock* header, SpiBlock* bits,
                               SpiProgressProc progress, intptr_t userData) const {
    if (!Has(SpiEntry::GetPicture))
        return SPI_NOT_IMPLEMENTED;
    return As<SpiGetPictureProc>(entries_[int(SpiEntry::GetPicture)])(path, 0, flag, header, bits,
                                                                      progress, userData);
}

int32_t CSpiPlugin::GetPictureInfo(const char* path, uint32_t flag, SpiPictureInfo* info) const {
    if (!Has(SpiEntry::GetPictureInfo))
        return SPI_NOT_IMPLEMENTED;
    return As<SpiGetPictureInfoProc>(entries_[int(SpiEntry::GetPictureInfo)])(path, 0, flag, info);
}
