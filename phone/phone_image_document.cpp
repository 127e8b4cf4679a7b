#include "phone/phone_image_document.h"

#include "image/loaders.h"
#include "image/sampled_picture.h"
#include "phone/save.h"
#include "phone/selection.h"
#include "plugins/plugin_host.h"

#include <algorithm>
#include <utility>

namespace {

// Formats read without the plug-ins: they are loaded only when another one is asked for.
bool BuiltInFormat(const std::string& path) {
    const std::string ext = PathExtension(path);
    return ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg";
}

ImageRect WholePicture(const PackedDib* picture) {
    return picture ? ImageRect{0, 0, DibWidth(picture), DibHeight(picture)} : ImageRect{};
}

} // namespace

PhoneImageDocument::PhoneImageDocument(const PhoneSettings& settings)
    : pipeline_(settings), aspectLock_(settings.aspectLock), resampling_(settings.resampling) {
    pipeline_.SetOutputChangedHandler([this] { Note(kOutputChanged); });
}

PhoneImageDocument::~PhoneImageDocument() = default;

PhoneSettings PhoneImageDocument::Settings() const {
    PhoneSettings settings = pipeline_.Settings();
    settings.aspectLock = aspectLock_;
    settings.resampling = resampling_;
    return settings;
}

void PhoneImageDocument::AddObserver(DocumentObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void PhoneImageDocument::RemoveObserver(DocumentObserver* observer) {
    std::erase(observers_, observer);
}

PhoneImageDocument::ChangeBatch::ChangeBatch(PhoneImageDocument& document) : document_(document) {
    ++document_.batchDepth_;
}

PhoneImageDocument::ChangeBatch::~ChangeBatch() {
    if (--document_.batchDepth_ == 0)
        document_.Flush();
}

void PhoneImageDocument::Note(DocumentChanges changes) {
    pending_ |= changes;
    if (batchDepth_ == 0)
        Flush();
}

void PhoneImageDocument::Flush() {
    ++batchDepth_; // the conversion's and the fit's own notes join these
    MakePendingBase();
    if (live_.On() && ((pending_ & kBaseChanged) || fitWanted_))
        LaunchLiveFit();
    fitWanted_ = false;
    --batchDepth_;
    const DocumentChanges changes = std::exchange(pending_, 0);
    if (changes == 0)
        return;
    // An observer may go (or come) while the others hear of the change.
    const std::vector<DocumentObserver*> observers = observers_;
    for (DocumentObserver* observer : observers)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->DocumentChanged(changes);
}

void PhoneImageDocument::RefreshOutput() {
    baseWanted_ = true;
    if (batchDepth_ == 0)
        Flush();
}

void PhoneImageDocument::MakePendingBase() {
    if (std::exchange(baseWanted_, false))
        MakeBase();
}

void PhoneImageDocument::MakeBase() {
    if (!picture_)
        return;
    const Resampling how = WantedResampling();
    DibPtr base =
        MakeBaseImage(picture_.get(), selection_, TargetWidth(), TargetHeight(), aspectLock_, how);
    // Without memory for it the phone image stays as it was.
    if (!base)
        return;
    baseResampling_ = how;
    pipeline_.SetBaseImage(std::move(base), false);
    Note(kBaseChanged);
}

void PhoneImageDocument::Install(DibPtr picture) {
    picture_ = std::move(picture);
    selection_ = WholePicture(picture_.get());
    Note(kPictureChanged | kSelectionChanged);
    RefreshOutput();
}

bool PhoneImageDocument::SetPicture(DibPtr picture) {
    const ChangeBatch batch(*this);
    const bool had = picture_ != nullptr;
    picture_.reset();
    // Deep BMP and plug-in pictures arrive at 16 or 32 bits, clipboard ones at any depth.
    if (picture && DibBitCount(picture.get()) != 24)
        picture = DibConvertDepth(picture.get(), 24);
    if (!picture) {
        selection_ = {};
        if (had)
            Note(kPictureChanged | kSelectionChanged);
        return false;
    }
    Install(std::move(picture));
    return true;
}

PictureLoad PhoneImageDocument::OpenPicture(const std::string& path) {
    if (!BuiltInFormat(path))
        LoadPluginsBesideExecutable();
    LoadError why = LoadError::None;
    DibPtr loaded = LoadImageFile(path, &why);
    if (!loaded)
        return {false, why, LoadErrorText(why)};
    // Widened before the current picture goes, so that a failure leaves it in place.
    if (DibBitCount(loaded.get()) != 24)
        loaded = DibConvertDepth(loaded.get(), 24);
    if (!loaded)
        return {false, LoadError::TooLarge, "not enough memory to widen the picture to 24 bits"};
    SetPicture(std::move(loaded));
    // A file cut short still opens; the caller may tell the user so.
    if (why == LoadError::Truncated)
        return {true, why, LoadErrorText(why)};
    return {true, LoadError::None, {}};
}

PictureLoad PhoneImageDocument::OpenPictureForSelection(const std::string& path,
                                                        const PictureInfo& info,
                                                        const ImageRect& selection,
                                                        Resampling how) {
    if (!BuiltInFormat(path))
        LoadPluginsBesideExecutable();
    const ImageRect whole{0, 0, info.width, info.height};
    const ImageRect cut{std::max(selection.left, whole.left), std::max(selection.top, whole.top),
                        std::min(selection.right, whole.right),
                        std::min(selection.bottom, whole.bottom)};
    if (cut.Empty())
        return {false, LoadError::Damaged, "the selection gives no picture"};
    const OutputSize size = OutputSizeForSelection(cut.Width(), cut.Height(), TargetWidth(),
                                                   TargetHeight(), aspectLock_);
    LoadError why = LoadError::None;
    DibPtr base;
    if (how == Resampling::Classic) {
        SampledPicture samples(
            ClassicSampleGrid(info.width, info.height, cut, size.width, size.height));
        if (samples.Empty())
            return {false, LoadError::TooLarge, "out of memory"};
        if (!LoadPictureSamples(path, &samples, &why))
            return {false, why, LoadErrorText(why)};
        base = MakeBaseImage(samples, cut, TargetWidth(), TargetHeight(), aspectLock_);
    } else {
        const std::string ext = PathExtension(path);
        const int reduction = ext == ".jpg" || ext == ".jpeg" ? ReductionForShrink(cut, size) : 1;
        DibPtr picture =
            reduction > 1 ? ReadJpegReduced(path, reduction, &why) : LoadImageFile(path, &why);
        if (!picture)
            return {false, why, LoadErrorText(why)};
        if (DibWidth(picture.get()) != (info.width + reduction - 1) / reduction ||
            DibHeight(picture.get()) != (info.height + reduction - 1) / reduction)
            return {false, LoadError::Damaged, "the picture is not the size its header gave"};
        base = reduction > 1 ? MakeBaseImageReduced(picture.get(), reduction, cut, TargetWidth(),
                                                    TargetHeight(), aspectLock_, how)
                             : MakeBaseImage(picture.get(), cut, TargetWidth(), TargetHeight(),
                                             aspectLock_, how);
    }
    if (!base)
        return {false, LoadError::TooLarge, "out of memory"};
    const ChangeBatch batch(*this);
    baseResampling_ = how;
    const bool had = picture_ != nullptr;
    picture_.reset();
    selection_ = cut;
    baseWanted_ = false;
    pipeline_.SetBaseImage(std::move(base), false);
    Note((had ? kPictureChanged : 0u) | kSelectionChanged | kBaseChanged);
    if (why == LoadError::Truncated)
        return {true, why, LoadErrorText(why)};
    return {true, LoadError::None, {}};
}

bool PhoneImageDocument::TurnPicture(RightAngle transform) {
    if (!picture_)
        return false;
    return ReplacePicture(TransformRightAngle(transform, picture_.get()));
}

bool PhoneImageDocument::ReplacePicture(DibPtr picture) {
    if (!picture)
        return false;
    const ChangeBatch batch(*this);
    // Transforms keep the depth they were given: always 24 bits here.
    Install(std::move(picture));
    return true;
}

DibPtr PhoneImageDocument::ExchangePicture(DibPtr picture) {
    if (!picture)
        return nullptr;
    const ChangeBatch batch(*this);
    const bool sameSize = picture_ && DibWidth(picture_.get()) == DibWidth(picture.get()) &&
                          DibHeight(picture_.get()) == DibHeight(picture.get());
    if (!sameSize) {
        DibPtr previous = std::move(picture_);
        Note(kPictureChanged | kSelectionChanged);
        SetPicture(std::move(picture));
        return previous;
    }
    std::swap(picture, picture_);
    Note(kPictureChanged);
    RefreshOutput();
    return picture;
}

bool PhoneImageDocument::SetSelection(const ImageRect& selection) {
    const ImageRect whole = WholePicture(picture_.get());
    const ImageRect cut{std::max(selection.left, whole.left), std::max(selection.top, whole.top),
                        std::min(selection.right, whole.right),
                        std::min(selection.bottom, whole.bottom)};
    if (cut.Empty())
        return false;
    const ChangeBatch batch(*this);
    selection_ = cut;
    Note(kSelectionChanged);
    RefreshOutput();
    return true;
}

void PhoneImageDocument::SelectWholePicture() {
    if (picture_)
        SetSelection(WholePicture(picture_.get()));
}

void PhoneImageDocument::SetAspectLock(bool on) {
    if (on == aspectLock_)
        return;
    aspectLock_ = on;
    Note(kAspectLockChanged);
}

bool PhoneImageDocument::SelectProfile(int index) {
    const ChangeBatch batch(*this);
    if (!pipeline_.Profile().Select(index))
        return false;
    Note(kProfileChanged);
    SelectWholePicture();
    return true;
}

bool PhoneImageDocument::SetCustomSize(int width, int height) {
    const ChangeBatch batch(*this);
    if (!pipeline_.Profile().SetCustomSize(width, height))
        return false;
    Note(kProfileChanged);
    SelectWholePicture();
    return true;
}

bool PhoneImageDocument::SelectFormat(int index) {
    const ChangeBatch batch(*this);
    // The conversion waits until it is known whether a new base image comes.
    if (!pipeline_.SelectFormat(index, false))
        return false;
    Note(kFormatChanged);
    if (live_.On() && index != pipeline_.FittedFormatIndex())
        EndLiveFit();
    FollowResampling();
    // Without a base image there is nothing to convert yet: make one from the selection.
    // A base image on its way converts when it comes.
    if (!pipeline_.BaseImage())
        RefreshOutput();
    else if (!baseWanted_)
        pipeline_.RunConversion();
    return true;
}

FitResult PhoneImageDocument::FitToLimit(Carrier carrier, FitKinds kinds) {
    const ChangeBatch batch(*this);
    fitting_ = true;
    FollowResampling();
    MakePendingBase();
    fitting_ = false;
    const FitResult result = ::FitToLimit(pipeline_.BaseImage(), carrier, kinds);
    if (result.fits && pipeline_.SetFittedFormat(result))
        Note(kFormatChanged);
    else
        FollowResampling(); // the format stays, and with it its resampling
    return result;
}

Resampling PhoneImageDocument::WantedResampling() const {
    const bool classic = !pipeline_.Format().highQuality && !fitting_ && !live_.On();
    return ResolveResampling(resampling_, classic);
}

void PhoneImageDocument::SetResampling(ResamplingChoice choice) {
    if (choice == resampling_)
        return;
    const ChangeBatch batch(*this);
    resampling_ = choice;
    Note(kResamplingChanged);
    // Asked for by the user: a new base image even where dot edits go with the old one.
    if (pipeline_.BaseImage() && WantedResampling() != baseResampling_)
        RefreshOutput();
}

void PhoneImageDocument::FollowResampling() {
    if (picture_ && pipeline_.BaseImage() && !pipeline_.UndoAvailable() &&
        WantedResampling() != baseResampling_)
        RefreshOutput();
}

void PhoneImageDocument::StartLiveFit(Carrier carrier, FitKinds kinds) {
    const ChangeBatch batch(*this);
    live_.Start(carrier, kinds);
    // Each new base image gets the fit's own file soon: its conversion meanwhile is quick.
    pipeline_.SetQuickConversion(true);
    Note(kFitChanged);
    FollowResampling();
    fitWanted_ = true; // a new base image brings its own request
}

void PhoneImageDocument::StopLiveFit() {
    if (!live_.On())
        return;
    const ChangeBatch batch(*this);
    const bool wasRunning = live_.Running();
    EndLiveFit();
    // The file the fit was to bring will not come.
    if (wasRunning)
        pipeline_.RunConversion();
}

void PhoneImageDocument::EndLiveFit() {
    live_.Stop();
    pipeline_.SetQuickConversion(false);
    Note(kFitChanged);
}

void PhoneImageDocument::LaunchLiveFit() {
    std::optional<LiveFitJob> job = live_.Request(pipeline_.BaseImage());
    Note(kFitChanged);
    if (!job)
        return;
    if (runner_)
        runner_->Launch(std::move(*job));
    else
        TakeLiveFit(job->serial, job->Run());
}

bool PhoneImageDocument::TakeLiveFit(uint64_t serial, const FitResult& result) {
    const ChangeBatch batch(*this);
    const bool wasRunning = live_.Running();
    const bool accepted = live_.Accept(serial, result, pipeline_.BaseImage());
    if (live_.Running() == wasRunning)
        return false; // no answer to the request out
    Note(kFitChanged);
    if (accepted)
        lastLiveFit_ = result;
    if (accepted && result.fits && pipeline_.SetFittedFormat(result)) {
        Note(kFormatChanged);
        return true;
    }
    // Nothing of the fit's to show: the current format's own file, written for real.
    pipeline_.SetQuickConversion(false);
    pipeline_.RunConversion();
    pipeline_.SetQuickConversion(true);
    return accepted;
}

SizeCheckResult PhoneImageDocument::CheckSize() {
    const ChangeBatch batch(*this);
    MakePendingBase();
    return pipeline_.CheckSize();
}

void PhoneImageDocument::CommitWorkingCopy() {
    const ChangeBatch batch(*this);
    MakePendingBase();
    if (!pipeline_.WorkingCopy())
        return;
    pipeline_.CommitWorkingCopy();
    Note(kBaseChanged);
}

bool PhoneImageDocument::UndoBaseImage() {
    const ChangeBatch batch(*this);
    MakePendingBase();
    if (!pipeline_.UndoBaseImage())
        return false;
    Note(kBaseChanged);
    return true;
}
