#include "gif_writer.h"

namespace plugintest {

bool WriteGif(const std::string& path, const Gif& gif) {
    int error = 0;
    GifFileType* out = EGifOpenFileName(path.c_str(), false, &error);
    if (!out)
        return false;
    EGifSetGifVersion(out, true);
    ColorMapObject* global =
        gif.colors.empty() ? nullptr : GifMakeMapObject(int(gif.colors.size()), gif.colors.data());
    bool ok = EGifPutScreenDesc(out, gif.width, gif.height, 8, gif.background, global) == GIF_OK;
    GifFreeMapObject(global);
    for (const Frame& f : gif.frames) {
        if (!ok)
            break;
        if (f.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, f.transparent};
            GifByteType extension[4];
            const size_t length = EGifGCBToExtension(&control, extension);
            ok = EGifPutExtension(out, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
        }
        ColorMapObject* local =
            f.colors.empty() ? nullptr : GifMakeMapObject(int(f.colors.size()), f.colors.data());
        // The encoder forgets, without freeing, the last frame's table when this one has none.
        if (!local && out->Image.ColorMap) {
            GifFreeMapObject(out->Image.ColorMap);
            out->Image.ColorMap = nullptr;
        }
        ok = ok &&
             EGifPutImageDesc(out, f.left, f.top, f.width, f.height, f.interlace, local) == GIF_OK;
        GifFreeMapObject(local);
        // giflib writes lines in the order given: interlaced frames go pass by pass.
        std::vector<int> order;
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlace ? 4 : 1); ++pass)
            for (int y = f.interlace ? start[pass] : 0; y < f.height;
                 y += f.interlace ? step[pass] : 1)
                order.push_back(y);
        for (int y : order) {
            std::vector<GifPixelType> line(f.pixels.begin() + y * f.width,
                                           f.pixels.begin() + (y + 1) * f.width);
            ok = ok && EGifPutLine(out, line.data(), f.width) == GIF_OK;
        }
    }
    return EGifCloseFile(out, &error) == GIF_OK && ok;
}

Gif SmallGif() {
    Gif gif;
    gif.width = 4;
    gif.height = 3;
    gif.colors = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {255, 0, 255}};
    Frame f;
    f.width = 4;
    f.height = 3;
    f.pixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 1, 1};
    gif.frames = {f};
    return gif;
}

} // namespace plugintest
