#include "cli/source_picture.h"

#include "image/loaders.h"
#include "image/transform.h"
#include "phone/save.h"
#include "plugins/plugin_host.h"

namespace {

bool BuiltInFormat(const std::string& path) {
    const std::string ext = PathExtension(path);
    return ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg";
}

} // namespace

DibPtr LoadSourcePicture(const std::string& path, std::string* error) {
    if (!BuiltInFormat(path))
        LoadPluginsBesideExecutable();
    LoadError why = LoadError::None;
    DibPtr picture(LoadImageFile(path, &why));
    if (!picture) {
        *error = LoadErrorText(why);
        return nullptr;
    }
    // Deep BMP and plug-in pictures arrive at 16 or 32 bits.
    if (picture->bitCount != 24) {
        picture.reset(DibConvertDepth(picture.get(), 24));
        if (!picture) {
            *error = "cannot convert the picture to 24 bits";
            return nullptr;
        }
    }
    return picture;
}

DibPtr AdjustSourcePicture(DibPtr picture, const ConvertOptions& o) {
    // Each step makes a new picture; a failed one leaves none.
    auto step = [&](auto&& make) {
        if (picture)
            picture.reset(make(picture.get()));
    };
    if (o.rotate)
        step([&](const PackedDib* p) { return RotateImage(o.rotate, p); });
    // The menu's flips go through the rotation with 360 (upside down) and 450 (mirror).
    if (o.upsideDown)
        step([](const PackedDib* p) { return RotateImage(360, p); });
    if (o.mirror)
        step([](const PackedDib* p) { return RotateImage(450, p); });
    if (o.angle)
        step([&](const PackedDib* p) { return RotateImage(o.angle, p); });
    if (o.brightness || o.contrast)
        step([&](const PackedDib* p) {
            return ApplyPixelOperation(p, nullptr, BrightnessContrastOp,
                                       BrightnessContrastParam(o.brightness, o.contrast));
        });
    if (o.offsetKind != ConvertOptions::Offsets::None) {
        const PixelOperation op =
            o.offsetKind == ConvertOptions::Offsets::Rgb ? RgbOffsetOp : YCrCbOffsetOp;
        step([&](const PackedDib* p) {
            return ApplyPixelOperation(p, nullptr, op, OffsetsParam(o.offsets));
        });
    }
    return picture;
}
