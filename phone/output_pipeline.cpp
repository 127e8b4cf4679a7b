#include "phone/output_pipeline.h"

#include "image/color_reduction.h"
#include "image/encoders.h"
#include "image/loaders.h"
#include "image/pixel_ops.h"

OutputPipeline::OutputPipeline(const PhoneSettings& settings)
    : profile_(settings.customWidth, settings.customHeight, settings.selectedProfile) {
    if (!SelectFormat(settings.selectedFormat))
        SelectFormat(kDefaultFormatIndex);
}

OutputPipeline::~OutputPipeline() = default;

PhoneSettings OutputPipeline::Settings() const {
    return PhoneSettings{profile_.CustomWidth(), profile_.CustomHeight(), profile_.SelectedIndex(),
                         formatIndex_};
}

bool OutputPipeline::SelectFormat(int index) {
    const auto formats = OutputFormats();
    if (index < 0 || size_t(index) >= formats.size())
        return false;
    formatIndex_ = index;
    formatCode_ = formats[size_t(index)].code;
    colorCount_ = FormatCodeValue(formatCode_);
    if (FormatCodeKind(formatCode_) == kFormatJpeg) {
        jpegQuality_ = colorCount_;
        colorCount_ = 0;
    }
    if (base_)
        RunConversion();
    return true;
}

void OutputPipeline::TakeBase(DibPtr image) {
    base_ = std::move(image);
    working_.reset(base_ ? DibDuplicate(base_.get(), nullptr) : nullptr);
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
    output_.reset(base_ ? DibDuplicate(base_.get(), nullptr) : nullptr);
    if (output_) {
        if (formatCode_ & kFormatGreyscale) {
            if (PackedDib* grey = ApplyPixelOperation(base_.get(), nullptr, GreyscaleOp, 0))
                output_.reset(grey);
        }
        if (output_->bitCount == 24) {
            PackedDib* reduced = nullptr;
            if (formatCode_ & kFormatWebSafe)
                reduced = ReduceToWebSafe(output_.get());
            else if (colorCount_ > 16)
                reduced = ReduceColorsTo8Bit(output_.get(), colorCount_);
            else if (colorCount_ >= 1)
                reduced = ReduceColorsTo4Bit(output_.get(), colorCount_);
            if (reduced)
                output_.reset(reduced);
        }
        // A failed write must not show an older file's picture.
        const bool written = WriteTempOutput() != 0;
        output_.reset();
        if (written)
            output_.reset(IsPng() ? ReadPngFile(temp_.path()) : ReadJpegFile(temp_.path()));
    }
    if (onChanged_)
        onChanged_();
}

uint32_t OutputPipeline::WriteTempOutput() {
    FILE* stream = temp_.Begin();
    if (!output_ || !stream)
        return 0;
    const int ok = IsPng() ? WritePngStream(output_.get(), stream)
                           : WriteJpegStream(output_.get(), stream, jpegQuality_);
    const int64_t size = temp_.End(ok != 0);
    return size < 0 ? 0 : uint32_t(uint64_t(size));
}

SizeCheckResult OutputPipeline::CheckSize() {
    return CheckOutputSize(IsPng(), WriteTempOutput());
}

SaveStatus OutputPipeline::WriteImageByExtension(const std::string& path) const {
    return ::WriteImageByExtension(output_.get(), path, jpegQuality_);
}

std::string OutputPipeline::MakeDeliveryCopy() const {
    return ::MakeDeliveryCopy(output_.get(), IsPng(), jpegQuality_);
}
