// The image plug-ins of the program, in load order, and the operations over all of them.
#pragma once

#include "plugins/spi_plugin.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CSpiPluginList {
public:
    // Interface types kept: image plug-ins (00IN and 00IM).
    static constexpr uint8_t kAcceptMask = kSpiTypeImage;

    CSpiPluginList() = default;
    ~CSpiPluginList() = default; // the plug-ins unload themselves
    CSpiPluginList(const CSpiPluginList&) = delete;
    CSpiPluginList& operator=(const CSpiPluginList&) = delete;

    // Loads every *.spi library of the folder, in name order, and keeps the image plug-ins
    // whose file name is not in the list yet (ignoring case). Returns the number added.
    int LoadFolder(const std::string& folder);

    // Formats over all plug-ins, asked of the plug-ins themselves.
    int CountFormats() const;

    // The Open dialog's entries for the plug-ins' formats; empty when there are none.
    const std::string& BuildFilter();
    const std::string& FilterText() const { return filter_; }

    // Decodes the file with the first plug-in that claims it and delivers it: 0 (SPI_SUCCESS),
    // 2 when no plug-in decoded it, 6 when it cannot be read, 8 when an argument is missing.
    // On success `header` and `bits` hold the plug-in's blocks and `info`, when given, its
    // picture information; the caller frees the blocks and the text. Stated lengths are cut
    // to what the blocks really hold. On failure all are empty.
    int Decode(const char* path, SpiBlock* header, SpiBlock* bits, SpiPictureInfo* info);

    // The picture information of the first plug-in that claims the file and gives it
    // (asked once more with the retry flag, as a decode does), without decoding the picture:
    // 0 (SPI_SUCCESS), or the codes of Decode. On success the caller frees `info->text`.
    int ReadInfo(const char* path, SpiPictureInfo* info);

    size_t Size() const { return plugins_.size(); }
    const CSpiPlugin& Plugin(size_t index) const { return *plugins_[index]; }
    // Index of the plug-in that decoded the last picture, -1 before the first.
    int LastUsedIndex() const { return lastUsed_; }

private:
    template <typename Visit> void WalkFormats(Visit visit) const;

    std::vector<std::unique_ptr<CSpiPlugin>> plugins_;
    std::string filter_;
    SpiProgressProc progress_ = nullptr;
    intptr_t userData_ = 0;
    int lastUsed_ = -1;
    // Plug-ins are not expected to be reentrant.
    mutable std::recursive_mutex mutex_;
};
