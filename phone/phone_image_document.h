// One picture on its way to a phone: the source picture and the selection on it, the
// aspect lock, the chosen profile and format, and the phone image made from them (the
// output pipeline with its base image, working copy, undo history and output image).
// Every change goes through here and the observers are told what changed, so the windows
// only draw and forward, and the command-line converter drives the same road: the same
// picture, selection, profile and format give the same bytes.
#pragma once

#include "image/dib.h"
#include "image/loaders.h"
#include "image/rect.h"
#include "image/transform.h"
#include "phone/editable_phone_image.h"
#include "phone/fit_to_limit.h"
#include "phone/live_fit.h"
#include "phone/output_pipeline.h"
#include "phone/resampling_choice.h"
#include "phone/settings.h"

#include <string>
#include <vector>

// What changed, as bits of a DocumentChanges set.
enum DocumentChange : unsigned {
    kPictureChanged = 1u << 0,    // a new source picture, or the picture turned or adjusted
    kSelectionChanged = 1u << 1,  // the selection in picture pixels
    kAspectLockChanged = 1u << 2, // the aspect lock
    kProfileChanged = 1u << 3,    // the profile or the custom size, and so the target size
    kFormatChanged = 1u << 4,     // the chosen format, or the format list's fitted entry
    kBaseChanged = 1u << 5,       // a new base image and working copy (made, committed, undone)
    kOutputChanged = 1u << 6,     // a conversion ran: a new output image
    kResamplingChanged = 1u << 7, // the resampling choice
    kFitChanged = 1u << 8,        // the live fit turned on or off, began or ended a fit
};
using DocumentChanges = unsigned;

class DocumentObserver {
public:
    // Called once per change made, or per batch, after the document is consistent again.
    virtual void DocumentChanged(DocumentChanges changes) = 0;

protected:
    ~DocumentObserver() = default;
};

// The result of opening a picture file.
struct [[nodiscard]] PictureLoad {
    bool loaded = false;
    // Why not, or Truncated for a file cut short that opened all the same.
    LoadError error = LoadError::None; // for the windows to word in their language
    std::string reason;                // in English ("file missing or unreadable", ...)
};

class PhoneImageDocument final : public EditablePhoneImage {
public:
    // Values outside their lists fall back to their defaults (see OutputPipeline). Creates
    // the temporary output file.
    explicit PhoneImageDocument(const PhoneSettings& settings = {});
    ~PhoneImageDocument();
    PhoneImageDocument(const PhoneImageDocument&) = delete;
    PhoneImageDocument& operator=(const PhoneImageDocument&) = delete;

    // The values to remember.
    PhoneSettings Settings() const;

    void AddObserver(DocumentObserver* observer);
    void RemoveObserver(DocumentObserver* observer);

    // Groups changes: the observers hear of them once, and the base image is made once,
    // when the outermost batch ends.
    class [[nodiscard]] ChangeBatch {
    public:
        explicit ChangeBatch(PhoneImageDocument& document);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch&) = delete;
        ChangeBatch& operator=(const ChangeBatch&) = delete;

    private:
        PhoneImageDocument& document_;
    };

    // The source picture, always 24 bits; none before one is installed.
    const PackedDib* Picture() const { return picture_.get(); }
    bool HasPicture() const { return picture_ != nullptr; }
    // A picture from memory (paste, capture), widened to 24 bits: the whole picture is
    // selected and a new base image made. None only releases the current picture. False
    // when there is no picture afterwards.
    bool SetPicture(DibPtr picture);
    // A picture file (by its extension, or through the plug-ins), installed as SetPicture
    // does. A file that cannot be read changes nothing: the current picture and the phone
    // image made from it stay.
    PictureLoad OpenPicture(const std::string& path);
    // The converter's road when only the phone image of one selection is wanted, with the
    // picture's size from its header (ReadPictureInfo): only the rows and columns that the
    // resampling of `selection` reads are decoded (JPEG and plain PNG files; others are
    // read whole), and the base image is the one OpenPicture then SetSelection(selection)
    // make. The picture itself is not kept: HasPicture() is false afterwards, so there is
    // nothing to turn, adjust or select anew. A file that cannot be read, or is not of
    // that size, changes nothing. With area means or Lanczos (`how`, the resampling the
    // caller's road takes: the fit's when it fits) a JPEG far bigger than the phone image
    // is decoded at a fraction of its size; other files are read whole.
    PictureLoad OpenPictureForSelection(const std::string& path, const PictureInfo& info,
                                        const ImageRect& selection,
                                        Resampling how = Resampling::Classic);
    // The picture turned or mirrored; the whole picture is selected. False (nothing
    // changes) without a picture or when memory runs out.
    bool TurnPicture(RightAngle transform);
    // A transformed picture (free rotation) in place of the current one, the whole of it
    // selected. False (nothing changes) for none.
    bool ReplacePicture(DibPtr picture);
    // An adjusted picture (tone and colour dialogs) in place of the current one: one of the
    // same size keeps the selection, another is installed as SetPicture does. Hands back the
    // replaced picture; none given changes nothing.
    DibPtr ExchangePicture(DibPtr picture);

    // The selection in picture pixels.
    const ImageRect& Selection() const { return selection_; }
    // A new selection, cut to the picture, and a new base image. False (nothing changes)
    // without a picture or when nothing of the picture is selected.
    bool SetSelection(const ImageRect& selection);
    void SelectWholePicture();
    // With the lock on the base image has the target size exactly; otherwise it keeps the
    // selection's proportions inside it. Takes effect with the next base image.
    bool AspectLock() const { return aspectLock_; }
    void SetAspectLock(bool on);

    const ProfileSelection& Profile() const { return pipeline_.Profile(); }
    int TargetWidth() const { return pipeline_.TargetWidth(); }
    int TargetHeight() const { return pipeline_.TargetHeight(); }
    // Profile change: the whole picture is selected afresh and a new base image made (dot
    // edits and history go). False (nothing changes) for an index outside the list.
    bool SelectProfile(int index);
    // Custom size change: entry 0 takes the size and is selected as above. False (nothing
    // changes) when a side is outside 20..180.
    bool SetCustomSize(int width, int height);

    // Format change: the conversion runs again. The base image and its dot edits stay;
    // without dot edits it is made again when the format asks for another resampling
    // (auto: classic for the classic formats, area means for the others). Choosing an
    // entry other than the fitted one ends the live fit. False (nothing changes) for an
    // index outside the list.
    bool SelectFormat(int index);
    // Searches the best format within the carrier's limit for the base image; when one fits
    // it becomes the format list's last entry and the current format. The base image is
    // first made with the fit's resampling, as SelectFormat does for a format.
    FitResult FitToLimit(Carrier carrier, FitKinds kinds = {});

    // How the selection becomes the base image. A change makes the base image again when
    // it changes the resampling used.
    ResamplingChoice ChosenResampling() const { return resampling_; }
    void SetResampling(ResamplingChoice choice);
    // The resampling the current format (or the fit) asks for.
    Resampling WantedResampling() const;

    // The live fit: while it is on, every new base image (selection, profile, resampling,
    // adjustment, dot edit, undo) is fitted again through the runner, and each result that
    // answers the newest request for the base image held becomes the fitted entry and the
    // current format. Starting it fits the current base image. Without a runner the fits
    // run in place.
    void SetLiveFitRunner(LiveFitRunner* runner) { runner_ = runner; }
    void StartLiveFit(Carrier carrier, FitKinds kinds = {});
    // Ends the mode; the fitted format stays, its file written for real if a fit was out.
    void StopLiveFit();
    bool LiveFitOn() const { return live_.On(); }
    Carrier LiveFitCarrier() const { return live_.Target(); }
    // A fit is out whose result has not come back.
    bool LiveFitRunning() const { return live_.Running(); }
    // The last result taken (nothing fits: `fits` false, the current format stays).
    const FitResult& LastLiveFit() const { return lastLiveFit_; }
    // A runner's result, on the document's thread; true when it was taken.
    bool TakeLiveFit(uint64_t serial, const FitResult& result);

    // The phone image: read access for drawing, saving and delivery.
    const OutputPipeline& Pipeline() const { return pipeline_; }
    // Where the temporary output file goes when the temporary folder cannot take it.
    void SetTempFallbackFolder(const std::string& folder) { pipeline_.SetFallbackFolder(folder); }
    // Writes the temporary output file with the current format and judges its size.
    [[nodiscard]] SizeCheckResult CheckSize();

    // The dot editor's side.
    PackedDib* WorkingCopy() override { return pipeline_.WorkingCopy(); }
    void CommitWorkingCopy() override;
    bool UndoBaseImage() override;
    bool UndoAvailable() const override { return pipeline_.UndoAvailable(); }

private:
    void Install(DibPtr picture);
    // Asks for a new base image from the selection; made at once, or when the batch ends.
    void RefreshOutput();
    // The one place where the base image is made from the picture and the selection.
    void MakeBase();
    void MakePendingBase();
    // The base image again when the format or the fit asks for another resampling than it
    // was made with, unless dot edits would go with it.
    void FollowResampling();
    void LaunchLiveFit();
    void EndLiveFit();
    void Note(DocumentChanges changes);
    void Flush();

    OutputPipeline pipeline_;
    DibPtr picture_;
    ImageRect selection_;
    bool aspectLock_ = false;

    std::vector<DocumentObserver*> observers_;
    int batchDepth_ = 0;
    DocumentChanges pending_ = 0;
    bool baseWanted_ = false;

    ResamplingChoice resampling_ = ResamplingChoice::Auto;
    Resampling baseResampling_ = Resampling::Classic; // of the base image held
    bool fitting_ = false;                            // within FitToLimit
    LiveFit live_;
    bool fitWanted_ = false;
    LiveFitRunner* runner_ = nullptr;
    FitResult lastLiveFit_;
};
