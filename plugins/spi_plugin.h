// One loaded plug-in library: its module, names, interface type, formats and entry points.
#pragma once

#include "plugins/spi_api.h"

#include <cstdint>
#include <string>
#include <vector>

// Interface types from the version string's third and fourth characters.
constexpr uint8_t kSpiTypeImage = 0x01;         // 00IN
constexpr uint8_t kSpiTypeImageExtended = 0x81; // 00IM
constexpr uint8_t kSpiTypeExport = 0x04;        // 00XN
constexpr uint8_t kSpiTypeExportExtended = 0x84;
constexpr uint8_t kSpiTypeArchive = 0x02; // 00AN
constexpr uint8_t kSpiTypeArchiveExtended = 0x82;
constexpr uint8_t kSpiTypeConversion = 0x10; // 00CN
constexpr uint8_t kSpiTypeEffect = 0x20;     // 00EN

// The type for a version buffer of which GetPluginInfo reported `written` characters;
// 0 for anything that is not "00" followed by a known pair.
uint8_t SpiInterfaceType(const char* version, int32_t written);

// The nine names looked up in every library, in this order.
enum class SpiEntry {
    GetPluginInfo,
    IsSupported,
    GetPictureInfo,
    GetPicture,
    GetPreview,
    GetArchiveInfo,
    GetFileInfo,
    GetFile,
    ConfigurationDlg,
};
constexpr int kSpiEntryCount = 9;
const char* SpiEntryName(SpiEntry entry);

class CSpiPlugin {
public:
    CSpiPlugin() = default;
    ~CSpiPlugin() { Unload(); }
    CSpiPlugin(const CSpiPlugin&) = delete;
    CSpiPlugin& operator=(const CSpiPlugin&) = delete;

    // Loads the library and reads its type and formats; false (and nothing held) when it
    // cannot be loaded or has no GetPluginInfo. `why` receives the reason on failure.
    bool Load(const std::string& path, std::string* why = nullptr);
    // Releases the library and forgets everything about it.
    void Unload();

    bool IsLoaded() const { return module_ != nullptr; }
    void* Module() const { return module_; }
    const std::string& FullPath() const { return fullPath_; }
    const std::string& FileName() const { return fileName_; }
    uint8_t InterfaceType() const { return type_; }
    int FormatCount() const { return int(patterns_.size()); }
    const std::vector<std::string>& Patterns() const { return patterns_; }
    const std::vector<std::string>& Names() const { return names_; }
    bool Has(SpiEntry entry) const { return entries_[int(entry)] != nullptr; }

    // GetPluginInfo into a zeroed buffer of `bufferBytes`: the count the plug-in returned,
    // and in `text` what it wrote, cut at the buffer's end and at the first NUL. 0 when the
    // library is not loaded.
    int32_t Info(int32_t number, std::string* text,
                 size_t bufferBytes = SPI_TEXT_BUFFER_BYTES) const;
    // 0 when the entry point is missing.
    int32_t IsSupported(const char* path, const uint8_t* head) const;
    // SPI_NOT_IMPLEMENTED when the entry point is missing.
    int32_t GetPicture(const char* path, uint32_t flag, SpiBlock* header, SpiBlock* bits,
                       SpiProgressProc progress, intptr_t userData) const;
    int32_t GetPictureInfo(const char* path, uint32_t flag, SpiPictureInfo* info) const;

    // Plug-ins that answer every information number would keep a walk going for ever.
    static constexpr int kMaxFormats = 256;

private:
    void* module_ = nullptr;
    std::string fullPath_;
    std::string fileName_;
    uint8_t type_ = 0;
    std::vector<std::string> patterns_;
    std::vector<std::string> names_;
    void* entries_[kSpiEntryCount] = {};
};
