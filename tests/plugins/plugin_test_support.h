// Helpers of the plug-in tests: test plug-in folders and decoding as the loader does.
#pragma once

#include "common/test_support.h"
#include "image/dib.h"
#include "plugins/spi_plugin_list.h"

#include <array>
#include <filesystem>
#include <string>

namespace plugintest {

// The built test plug-ins (MOKOA_TEST_PLUGINS) and the shipped ones (PlugIn beside the
// executables); empty when not there.
std::filesystem::path FakePluginDir();
std::filesystem::path ShippedPluginDir();

// Copies the test plug-in `name`.spi into `folder`, under another file name when given.
void Install(const std::filesystem::path& folder, const std::string& name,
             const std::string& as = "");

// Decodes through the list and builds the picture from the blocks, freeing them as the
// loader does. `code` receives the host's result, `text` the picture's text information.
DibPtr Decode(CSpiPluginList& list, const std::string& path, int* code = nullptr,
              std::string* text = nullptr);

// Blue, green, red of pixel (x, y), y counted from the top.
using Bgr = std::array<uint8_t, 3>;
Bgr PixelAt(const PackedDib* dib, int x, int y);

// The shipped plug-ins loaded into a list of the test's own, and a folder for pictures.
class ShippedPlugins : public ::testing::Test {
protected:
    void SetUp() override;
    // A fresh file name in the folder.
    std::string NextPath(const std::string& extension);
    // Writes the bytes as a file and decodes it.
    DibPtr ReadBytes(const std::string& bytes, const std::string& extension, int* code = nullptr,
                     std::string* text = nullptr);

    testsupport::TempDir dir_;
    CSpiPluginList list_;
    int count_ = 0;
};

} // namespace plugintest

#define REQUIRE_PLUGIN_DIR(var, dir)                                                               \
    const std::filesystem::path var = (dir);                                                       \
    if (var.empty())                                                                               \
    GTEST_SKIP() << "plug-in folder not found: " #dir " (run the tests through ctest)"
