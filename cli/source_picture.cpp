#include "cli/source_picture.h"

#include "image/pixel_ops.h"
#include "image/transform.h"
#include "phone/phone_image_document.h"

namespace {

// A tone or colour dialog's OK: the operation applied to the whole picture.
bool Adjust(PhoneImageDocument& document, PixelOperation op, intptr_t param) {
    DibPtr adjusted(ApplyPixelOperation(document.Picture(), nullptr, op, param));
    return adjusted && document.ExchangePicture(std::move(adjusted));
}

} // namespace

bool AdjustSourcePicture(PhoneImageDocument& document, const ConvertOptions& o) {
    if (o.rotate) {
        const RightAngle turn = o.rotate == 90    ? RightAngle::Clockwise
                                : o.rotate == 180 ? RightAngle::HalfTurn
                                                  : RightAngle::CounterClockwise;
        if (!document.TurnPicture(turn))
            return false;
    }
    if (o.upsideDown && !document.TurnPicture(RightAngle::UpsideDown))
        return false;
    if (o.mirror && !document.TurnPicture(RightAngle::Mirror))
        return false;
    if (o.angle && !document.ReplacePicture(DibPtr(RotateImage(o.angle, document.Picture()))))
        return false;
    if ((o.brightness || o.contrast) &&
        !Adjust(document, BrightnessContrastOp, BrightnessContrastParam(o.brightness, o.contrast)))
        return false;
    if (o.offsetKind != ConvertOptions::Offsets::None &&
        !Adjust(document,
                o.offsetKind == ConvertOptions::Offsets::Rgb ? RgbOffsetOp : YCrCbOffsetOp,
                OffsetsParam(o.offsets)))
        return false;
    return true;
}

bool AdjustsSourcePicture(const ConvertOptions& o) {
    return o.rotate || o.upsideDown || o.mirror || o.angle || o.brightness || o.contrast ||
           o.offsetKind != ConvertOptions::Offsets::None;
}
