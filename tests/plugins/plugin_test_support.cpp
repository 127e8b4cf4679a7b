#include "plugin_test_support.h"

#include <cstdlib>
#include <cstring>

namespace plugintest {

namespace {

std::filesystem::path FolderFromEnv(const char* variable, const char* below = nullptr) {
    const char* value = std::getenv(variable);
    if (!value)
        return {};
    std::filesystem::path dir = value;
    if (below)
        dir /= below;
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

} // namespace

std::filesystem::path FakePluginDir() {
    return FolderFromEnv("MOKOA_TEST_PLUGINS");
}

std::filesystem::path ShippedPluginDir() {
    return FolderFromEnv("MOKOA_BIN_DIR", "PlugIn");
}

void Install(const std::filesystem::path& folder, const std::string& name, const std::string& as) {
    std::filesystem::copy_file(FakePluginDir() / (name + ".spi"),
                               folder / (as.empty() ? name + ".spi" : as));
}

DibPtr Decode(CSpiPluginList& list, const std::string& path, int* code, std::string* text) {
    SpiBlock header{}, bits{};
    SpiPictureInfo info{};
    const int result = list.Decode(path.c_str(), &header, &bits, &info);
    if (code)
        *code = result;
    if (text)
        *text = info.text ? std::string(info.text, strnlen(info.text, info.text_size)) : "";
    DibPtr dib(result == SPI_SUCCESS
                   ? DibFromHeaderAndBits(header.data, header.size, bits.data, bits.size)
                   : nullptr);
    std::free(header.data);
    std::free(bits.data);
    std::free(info.text);
    return dib;
}

Bgr PixelAt(const PackedDib* dib, int x, int y) {
    const uint8_t* p = DibPixelAddress(dib, x, DibHeight(dib) - 1 - y);
    return {p[0], p[1], p[2]};
}

void ShippedPlugins::SetUp() {
    const std::filesystem::path shipped = ShippedPluginDir();
    if (shipped.empty())
        GTEST_SKIP() << "shipped plug-ins not found (MOKOA_BIN_DIR; run through ctest)";
    list_.LoadFolder(shipped.string());
    ASSERT_GT(list_.Size(), 0u);
}

std::string ShippedPlugins::NextPath(const std::string& extension) {
    return dir_.file("picture" + std::to_string(count_++) + extension);
}

DibPtr ShippedPlugins::ReadBytes(const std::string& bytes, const std::string& extension, int* code,
                                 std::string* text) {
    const std::string path = NextPath(extension);
    testsupport::WriteFileBytes(path, bytes);
    return Decode(list_, path, code, text);
}

} // namespace plugintest
