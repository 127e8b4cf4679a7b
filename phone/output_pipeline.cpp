#include "phone/output_pipeline.h"

#include "image/color_reduction.h"
#include "image/compact_png.h"
#include "image/encoders.h"
#include "image/loaders.h"
#include "image/pixel_ops.h"
#include "image/quality_quantizer.h"

#include <cstdio>

OutputPipeline::OutputPipeline(const PhoneSettings& settings)
    : profile_(settings.customWidth, settings.customHeight, settings.selectedProfile) {
    if (!SelectFormat(settings.selectedFormat))
        SelectFormat(kDefaultFormatIndex);
}

OutputPipeline::~OutputPipeline() = default;

PhoneSettings OutputPipeline::Settings() const {
    // A fitted format belongs to one picture; the list entry chosen before it is remembered.
    return PhoneSettings{profile_.CustomWidth(), profile_.CustomHeight(), profile_.SelectedIndex(),
                         listFormatIndex_};
}

int OutputPipeline::FormatCount() const {
    return int(OutputFormats().size()) + (HasFittedFormat() ? 1 : 0);
}

std::string OutputPipeline::FormatText(int index) const {
    const auto formats = OutputFormats();
    if (index >= 0 && size_t(index) < formats.size())
        return formats[size_t(index)].text;
    if (index == FittedFormatIndex() && HasFittedFormat())
        return FittedFormatText(fitted_, fittedColors_, fittedSize_);
    return {};
}

void OutputPipeline::UseFormat(const OutputFormat& format, bool convert) {
    format_ = format;
    // The quality of a ".jpg" save under a PNG format stays that of a classic entry.
    if (format_.IsJpeg() && !format_.highQuality)
        jpegQuality_ = format_.jpeg.quality;
    if (base_ && convert)
        RunConversion();
}

bool OutputPipeline::SelectFormat(int index, bool convert) {
    const auto formats = OutputFormats();
    if (index == FittedFormatIndex() && HasFittedFormat()) {
        formatIndex_ = index;
        UseFormat(fitted_, convert);
        return true;
    }
    if (index < 0 || size_t(index) >= formats.size())
        return false;
    formatIndex_ = listFormatIndex_ = index;
    UseFormat(formats[size_t(index)].format, convert);
    return true;
}

bool OutputPipeline::SetFittedFormat(const OutputFormat& format, int64_t savedSize) {
    return UseFittedFormat(format, savedSize, nullptr, 0);
}

bool OutputPipeline::SetFittedFormat(const FitResult& fit) {
    return fit.fits && UseFittedFormat(fit.format, fit.size, fit.file, fit.baseFingerprint);
}

bool OutputPipeline::UseFittedFormat(const OutputFormat& format, int64_t savedSize,
                                     std::shared_ptr<const std::vector<uint8_t>> file,
                                     uint64_t base) {
    if (!format.highQuality)
        return false;
    hasFitted_ = true;
    fitted_ = format;
    fittedSize_ = savedSize;
    fittedColors_ = format.colors;
    fittedFile_ = std::move(file);
    fittedBase_ = base;
    return SelectFormat(FittedFormatIndex());
}

void OutputPipeline::TakeBase(DibPtr image) {
    base_ = std::move(image);
    working_ = base_ ? DibDuplicate(base_.get(), nullptr) : nullptr;
    RunConversion();
}

void OutputPipeline::SetBaseImage(DibPtr image, bool commit) {
    if (commit) {
        // The slot after the cursor stays empty: it marks the oldest end of the ring.
        cursor_ = (cursor_ + 1) % kHistorySlots;
        history_[size_t(cursor_)] = std::move(base_);
        history_[size_t((cursor_ + 1) % kHistorySlots)].reset();
    } else {
        base_.reset();
        for (DibPtr& slot : history_)
            slot.reset();
        cursor_ = 0;
    }
    TakeBase(std::move(image));
}

void OutputPipeline::CommitWorkingCopy() {
    if (working_)
        SetBaseImage(std::move(working_), true);
}

bool OutputPipeline::UndoBaseImage() {
    DibPtr& slot = history_[size_t(cursor_)];
    if (!slot)
        return false;
    DibPtr previous = std::move(slot);
    cursor_ = (cursor_ + kHistorySlots - 1) % kHistorySlots;
    TakeBase(std::move(previous));
    return true;
}

void OutputPipeline::RunConversion() {
    output_ = base_ ? DibDuplicate(base_.get(), nullptr) : nullptr;
    // The fit's own file, for the very base image it was made from.
    const bool prepared = output_ && fittedFile_ && formatIndex_ == FittedFormatIndex() &&
                          BaseFingerprint(base_.get()) == fittedBase_;
    if (output_ && !prepared) {
        if (format_.grey) {
            if (DibPtr grey = ApplyPixelOperation(base_.get(), nullptr, GreyscaleOp, 0))
                output_ = std::move(grey);
        }
        const int colors = format_.colors;
        if (output_->bitCount == 24 && format_.highQuality) {
            if (IsPng()) {
                DibPtr reduced =
                    format_.UsesRunBias()
                        ? ReduceColorsWithRunBias(output_.get(), colors, format_.runBias)
                        : ReduceColorsHighQuality(output_.get(), colors, format_.dither);
                if (reduced)
                    output_ = std::move(reduced);
            }
        } else if (output_->bitCount == 24) {
            DibPtr reduced;
            if (format_.webPalette)
                reduced = ReduceToWebSafe(output_.get());
            else if (colors > 16)
                reduced = ReduceColorsTo8Bit(output_.get(), colors);
            else if (colors >= 1)
                reduced = ReduceColorsTo4Bit(output_.get(), colors);
            if (reduced)
                output_ = std::move(reduced);
        }
    }
    if (output_) {
        // A failed write must not show an older file's picture.
        const uint32_t size = WriteTempFile(prepared ? TempWrite::Prepared
                                            : quick_ ? TempWrite::Quick
                                                     : TempWrite::Real);
        const bool written = size != 0;
        // The temporary file of a high-quality format holds the bytes a save writes.
        const bool fitted = written && formatIndex_ == FittedFormatIndex();
        if (fitted)
            fittedSize_ = size;
        output_.reset();
        std::vector<PaletteColor> palette;
        if (written)
            output_ = IsPng() ? ReadPngFile(temp_.path(), &palette) : ReadJpegFile(temp_.path());
        // Unused and repeated colours are left out of the file, so it may hold fewer.
        if (fitted && output_ && IsPng())
            fittedColors_ = int(palette.size());
        // Our files of 2 and 4 colours have 1 and 2 bits; the picture is kept at 8 so that
        // every writer and view takes it.
        if (output_ && output_->bitCount < 4)
            output_ = DibConvertDepth(output_.get(), 8);
    }
    if (onChanged_)
        onChanged_();
}

uint32_t OutputPipeline::WriteTempOutput() {
    return WriteTempFile(TempWrite::Real);
}

uint32_t OutputPipeline::WriteTempFile(TempWrite how) {
    if (!output_)
        return 0;
    int64_t size = WriteTempOutputOnce(how);
    if (size < 0 && temp_.error() != 0 && !fallbackFolder_.empty() && temp_.MoveTo(fallbackFolder_))
        size = WriteTempOutputOnce(how);
    return size < 0 ? 0 : uint32_t(uint64_t(size));
}

int64_t OutputPipeline::WriteTempOutputOnce(TempWrite how) {
    FILE* stream = temp_.Begin();
    if (!stream)
        return -1;
    int ok = 0;
    std::vector<uint8_t> bytes;
    if (how == TempWrite::Prepared)
        ok =
            std::fwrite(fittedFile_->data(), 1, fittedFile_->size(), stream) == fittedFile_->size();
    else if (!format_.highQuality)
        ok = IsPng() ? WritePngStream(output_.get(), stream)
                     : WriteJpegStream(output_.get(), stream, jpegQuality_);
    else if (IsPng() && how == TempWrite::Quick)
        ok = EncodeCompactPngQuick(output_.get(), &bytes) &&
             std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    else if (IsPng())
        ok = WriteCompactPngStream(output_.get(), stream);
    else // the base image, as a save writes it (phone/save.h)
        ok = WriteJpegStream(base_.get(), stream, format_.jpeg);
    return temp_.End(ok != 0);
}

SizeCheckResult OutputPipeline::CheckSize() {
    return CheckOutputSize(IsPng(), WriteTempOutput());
}

SaveSource OutputPipeline::Source() const {
    return SaveSource{output_.get(), jpegQuality_, format_, base_.get()};
}

SaveStatus OutputPipeline::WriteImageByExtension(const std::string& path) const {
    return ::WriteImageByExtension(Source(), path);
}

std::string OutputPipeline::MakeDeliveryCopy() const {
    return ::MakeDeliveryCopy(Source(), IsPng());
}
