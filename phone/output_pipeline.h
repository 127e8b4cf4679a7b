// The phone picture being made: the base image resampled from the selection, the working
// copy the dot editor paints on, the undo history and the output image, which is always
// the picture as read back from a file of the chosen format.
#pragma once

#include "image/dib.h"
#include "phone/editable_phone_image.h"
#include "phone/fit_to_limit.h"
#include "phone/formats.h"
#include "phone/profile_selection.h"
#include "phone/save.h"
#include "phone/scratch_file.h"
#include "phone/settings.h"
#include "phone/size_check.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class OutputPipeline final : public EditablePhoneImage {
public:
    static constexpr int kHistorySlots = 32;

    // Creates the temporary output file "~kt…" in the user's temporary folder. An index
    // outside a list falls back to its default.
    explicit OutputPipeline(const PhoneSettings& settings = {});
    // Deletes the temporary output file.
    ~OutputPipeline();
    OutputPipeline(const OutputPipeline&) = delete;
    OutputPipeline& operator=(const OutputPipeline&) = delete;

    // The four values to remember.
    PhoneSettings Settings() const;

    ProfileSelection& Profile() { return profile_; }
    const ProfileSelection& Profile() const { return profile_; }
    int TargetWidth() const { return profile_.TargetWidth(); }
    int TargetHeight() const { return profile_.TargetHeight(); }

    // Format change: false (nothing changed) for an index outside the list. Reruns the
    // conversion when there is a base image (unless told not to: a new base is coming);
    // without one the caller produces it.
    bool SelectFormat(int index, bool convert = true);
    int SelectedFormat() const { return formatIndex_; }
    // The list: OutputFormats(), then the fitted format once there is one.
    int FormatCount() const;
    std::string FormatText(int index) const;

    // A format found by fitting a carrier's limit (phone/fit_to_limit.h), with the bytes of
    // its saved file for the list text. It becomes the extra last entry of the list, replacing
    // an earlier one, and is selected; false for a format that is not high-quality. The list
    // text follows the file each conversion makes: its bytes and palette entries.
    bool SetFittedFormat(const OutputFormat& format, int64_t savedSize);
    // The same with the fit's own file: while the base image is the one the fit was made
    // from, the conversion takes that file instead of reducing and encoding again. False
    // when the fit found nothing.
    bool SetFittedFormat(const FitResult& fit);
    bool HasFittedFormat() const { return hasFitted_; }
    int FittedFormatIndex() const { return int(OutputFormats().size()); }
    // What the fitted entry's list text tells: the format, its file's palette entries and
    // bytes.
    const OutputFormat& FittedFormat() const { return fitted_; }
    int FittedColors() const { return fittedColors_; }
    int64_t FittedSize() const { return fittedSize_; }
    const OutputFormat& Format() const { return format_; }
    bool IsPng() const { return format_.IsPng(); }
    int ColorCount() const { return format_.colors; } // 0 for full colour and JPEG
    int JpegQuality() const { return jpegQuality_; }  // of the last classic JPEG entry chosen

    // Takes a new base image and runs the conversion. Not a commit: the history and every
    // dot edit are dropped. A commit: the previous base goes into the history.
    void SetBaseImage(DibPtr image, bool commit);
    // The dot editor's commit: the working copy becomes the base image.
    void CommitWorkingCopy() override;
    // Restores the previous base image; false when there is nothing to undo.
    bool UndoBaseImage() override;
    bool UndoAvailable() const override { return history_[cursor_] != nullptr; }

    // Greyscale and colour reduction as the format asks, written to the temporary output
    // file and read back as the output image (none when that fails).
    void RunConversion();
    // Writes the output image to the temporary output file with the current format; its
    // size in bytes, or 0 when writing failed. When the temporary folder cannot take the
    // file (a full disk, say) and a fallback folder is set, the file moves there first.
    uint32_t WriteTempOutput();
    // While set, the conversion writes high-quality PNG files with the writer's first
    // setting alone: the same picture, some bytes more, in a fraction of the time. For base
    // images whose fitted file is on its way. Size checks, saves and deliveries still write
    // the real file.
    void SetQuickConversion(bool quick) { quick_ = quick; }
    // Where the temporary output file goes when the temporary folder cannot take it, such as
    // the folder the outputs are saved in; empty (the default) for nowhere.
    void SetFallbackFolder(const std::string& folder) { fallbackFolder_ = folder; }
    // Why the temporary output file could not be written (a system error number), or 0.
    int TempOutputError() const { return temp_.error(); }

    // Size check: writes the temporary output file and judges its size.
    [[nodiscard]] SizeCheckResult CheckSize();
    // Save and delivery of the output image (see phone/save.h).
    [[nodiscard]] SaveStatus WriteImageByExtension(const std::string& path) const;
    [[nodiscard]] std::string MakeDeliveryCopy() const;
    SaveSource Source() const;

    const PackedDib* BaseImage() const { return base_.get(); }
    const PackedDib* OutputImage() const { return output_.get(); }
    PackedDib* WorkingCopy() override { return working_.get(); }
    const PackedDib* WorkingCopy() const { return working_.get(); }
    const std::string& TempOutputPath() const { return temp_.path(); }

    // Called after every conversion run, so that views can repaint.
    void SetOutputChangedHandler(std::function<void()> handler) { onChanged_ = std::move(handler); }

private:
    void TakeBase(DibPtr image);
    bool UseFittedFormat(const OutputFormat& format, int64_t savedSize,
                         std::shared_ptr<const std::vector<uint8_t>> file, uint64_t base);
    // The file as the format makes it, with the writer's first setting alone, or the fit's
    // own.
    enum class TempWrite { Real, Quick, Prepared };
    uint32_t WriteTempFile(TempWrite how);
    int64_t WriteTempOutputOnce(TempWrite how);
    void UseFormat(const OutputFormat& format, bool convert = true);

    ProfileSelection profile_;
    int formatIndex_ = kDefaultFormatIndex;
    OutputFormat format_;
    int jpegQuality_ = 75;
    int listFormatIndex_ = kDefaultFormatIndex; // the last entry of OutputFormats() chosen
    bool hasFitted_ = false;
    OutputFormat fitted_;
    int64_t fittedSize_ = 0;
    std::shared_ptr<const std::vector<uint8_t>> fittedFile_; // made for the base below
    uint64_t fittedBase_ = 0;
    int fittedColors_ = 0; // palette entries of its file; the format's count until one is made
    bool quick_ = false;

    DibPtr base_;
    DibPtr working_;
    DibPtr output_;
    std::array<DibPtr, kHistorySlots> history_;
    int cursor_ = 0;

    ScratchFile temp_{"~kt"};
    std::string fallbackFolder_;
    std::function<void()> onChanged_;
};
