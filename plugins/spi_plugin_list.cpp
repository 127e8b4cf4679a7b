#include "plugins/spi_plugin_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a library was passed over, for whoever sets MOKOA_DEBUG_PLUGINS.
void Trace(const std::string& path, const std::string& why) {
    static const bool on = std::getenv("MOKOA_DEBUG_PLUGINS") != nullptr;
    if (on)
        std::fprintf(stderr, "plug-in %s: %s\n", path.c_str(), why.c_str());
}

// Plug-ins travel between systems; take FOO.SPI as readily as foo.spi.
bool HasPluginExtension(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".spi") == 0;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// A stated length is the plug-in's word; what malloc gave it is a fact. Whatever the
// plug-in claims, nothing downstream may read past the block.
uint64_t UsableLength(const void* block, uint64_t stated) {
    return block ? std::min<uint64_t>(stated, malloc_usable_size(const_cast<void*>(block))) : 0;
}

} // namespace

int CSpiPluginList::LoadFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    std::string dir = folder;
    if (dir.size() > 1 && dir.back() != '/')
        dir += '/';

    // The listing order of a Linux folder is arbitrary; name order makes "first in load
    // order" mean the same on every machine.
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (HasPluginExtension(name) && it->is_regular_file(typeError))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());

    int added = 0;
    for (const std::string& name : names) {
        const std::string path = dir + name;
        auto plugin = std::make_unique<CSpiPlugin>();
        std::string why;
        if (!plugin->Load(path, &why)) {
            Trace(path, why);
            continue;
        }
        const uint8_t accepted = plugin->InterfaceType() & kAcceptMask;
        if (accepted == 0 || accepted == 0x80) {
            Trace(path, "not an image plug-in");
            continue;
        }
        const bool known = std::any_of(plugins_.begin(), plugins_.end(), [&](const auto& other) {
            return strcasecmp(other->FileName().c_str(), plugin->FileName().c_str()) == 0;
        });
        if (known) {
            Trace(path, "a plug-in of that name is loaded already");
            continue;
        }
        plugins_.push_back(std::move(plugin));
        ++added;
    }
    return added;
}

template <typename Visit> void CSpiPluginList::WalkFormats(Visit visit) const {
    for (const auto& plugin : plugins_) {
        for (int k = 0; k < CSpiPlugin::kMaxFormats; ++k) {
            std::string name, pattern;
            if (plugin->Info(SPI_INFO_NAME(k), &name) < 1)
                break;
            plugin->Info(SPI_INFO_PATTERN(k), &pattern);
            visit(pattern, name);
        }
    }
}

int CSpiPluginList::CountFormats() const {
    std::lock_guard lock(mutex_);
    int count = 0;
    WalkFormats([&](const std::string&, const std::string&) { ++count; });
    return count;
}

const std::string& CSpiPluginList::BuildFilter() {
    std::lock_guard lock(mutex_);
    // Built afresh, so that asking twice does not repeat the entries.
    filter_.clear();
    if (CountFormats() == 0)
        return filter_;
    filter_ = "全Susieプラグイン対応画像|";
    bool first = true;
    WalkFormats([&](const std::string& pattern, const std::string&) {
        if (!first)
            filter_ += ';';
        filter_ += pattern;
        first = false;
    });
    filter_ += '|';
    WalkFormats([&](const std::string& pattern, const std::string& name) {
        filter_ += name + " (" + pattern + ")|" + pattern + "|";
    });
    return filter_;
}

namespace {

// The start of the file that IsSupported looks at. Only regular files go to the plug-ins:
// a pipe or a device would block them for ever.
int ReadHead(const char* path, std::unique_ptr<uint8_t[]>* head) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return SPI_FILE_ERROR;
    }
    std::unique_ptr<FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return SPI_FILE_ERROR;
    }
    // Zeroed, so that what lies past the end of a short file is at least not garbage.
    head->reset(new (std::nothrow) uint8_t[SPI_HEAD_BYTES]());
    if (!*head)
        return SPI_FILE_ERROR;
    std::fread(head->get(), 1, SPI_HEAD_BYTES, file.get());
    return std::ferror(file.get()) ? SPI_FILE_ERROR : SPI_SUCCESS;
}

} // namespace

int CSpiPluginList::ReadInfo(const char* path, SpiPictureInfo* info) {
    if (!path || !info)
        return SPI_INTERNAL_ERROR;
    *info = {};
    std::unique_ptr<uint8_t[]> head;
    if (const int status = ReadHead(path, &head); status != SPI_SUCCESS)
        return status;
    std::lock_guard lock(mutex_);
    for (const auto& plugin : plugins_) {
        if (plugin->IsSupported(path, head.get()) != 1)
            continue;
        // What a failed call left in the record is not ours to free.
        if (plugin->GetPictureInfo(path, SPI_INPUT_FILE, info) != SPI_SUCCESS) {
            *info = {};
            if (plugin->GetPictureInfo(path, SPI_INPUT_FILE | SPI_FLAG_RETRY, info) !=
                SPI_SUCCESS) {
                *info = {};
                continue;
            }
        }
        info->text_size = UsableLength(info->text, info->text_size);
        return SPI_SUCCESS;
    }
    return SPI_UNSUPPORTED;
}

int CSpiPluginList::Decode(const char* path, SpiBlock* header, SpiBlock* bits,
                           SpiPictureInfo* info) {
    if (!path || !header || !bits)
        return SPI_INTERNAL_ERROR;
    *header = {};
    *bits = {};
    if (info)
        *info = {};

    std::unique_ptr<uint8_t[]> head;
    if (const int status = ReadHead(path, &head); status != SPI_SUCCESS)
        return status;

    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < plugins_.size(); ++i) {
        const CSpiPlugin& plugin = *plugins_[i];
        if (plugin.IsSupported(path, head.get()) != 1)
            continue;
        SpiBlock h{}, b{};
        int32_t result = plugin.GetPicture(path, SPI_INPUT_FILE, &h, &b, progress_, userData_);
        if (result != SPI_SUCCESS && result != SPI_ABORTED) {
            h = b = {};
            result = plugin.GetPicture(path, SPI_INPUT_FILE | SPI_FLAG_RETRY, &h, &b, progress_,
                                       userData_);
        }
        if (result != SPI_SUCCESS)
            continue;
        // Success without both blocks is a failure in disguise; the next plug-in may do better.
        if (!h.data || !b.data) {
            std::free(h.data);
            std::free(b.data);
            Trace(plugin.FullPath(), "reported a picture without both blocks");
            continue;
        }
        if (info) {
            // What a failed call left in the record is not ours to free, so the retry and
            // the end start from an empty one.
            *info = {};
            if (plugin.GetPictureInfo(path, SPI_INPUT_FILE, info) != SPI_SUCCESS) {
                *info = {};
                if (plugin.GetPictureInfo(path, SPI_INPUT_FILE | SPI_FLAG_RETRY, info) !=
                    SPI_SUCCESS)
                    *info = {};
            }
            info->text_size = UsableLength(info->text, info->text_size);
        }
        h.size = UsableLength(h.data, h.size);
        b.size = UsableLength(b.data, b.size);
        lastUsed_ = int(i);
        *header = h;
        *bits = b;
        return SPI_SUCCESS;
    }
    return SPI_UNSUPPORTED;
}
