#include "cli/convert_command.h"

#include "cli/mail_sender.h"
#include "cli/ordered_batch.h"
#include "cli/source_picture.h"
#include "image/encoders.h"
#include "image/replacing_file.h"
#include "phone/phone_image_document.h"
#include "phone/save.h"
#include "phone/selection.h"
#include "phone/temp_file.h"
#include "plugins/plugin_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool SaveableExtension(const std::string& path) {
    const std::string ext = PathExtension(path);
    return ext == ".png" || ext == ".jpg" || ext == ".jpeg";
}

// Where the outputs go: one named file, or a folder (empty: the current one) in which each
// input's base name gets the given extension.
struct OutputPlan {
    std::string file;
    std::string folder;
    bool toFolder = true;

    // One named file decides the kind a fit may choose.
    FitKinds Kinds() const {
        if (toFolder)
            return {};
        const bool png = PathExtension(file) == ".png";
        return FitKinds{png, !png};
    }

    std::string For(const std::string& input, const char* extension) const {
        if (!toFolder)
            return file;
        const std::string name = fs::path(input).stem().string() + extension;
        return folder.empty() ? name : (fs::path(folder) / name).string();
    }
};

// Settles the output plan before any work, so that a bad destination is a usage error.
bool PlanOutputs(const std::string& target, size_t inputs, bool pngOnly, OutputPlan* plan,
                 std::string* error) {
    if (target.empty())
        return true;
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        plan->folder = target;
        return true;
    }
    if (inputs > 1) {
        if (fs::exists(target, ec) || SaveableExtension(target)) {
            *error = "'" + target + "' is not a folder, but several inputs need one";
            return false;
        }
        if (!fs::create_directories(target, ec)) {
            *error = "cannot create the folder '" + target + "': " + ec.message();
            return false;
        }
        plan->folder = target;
        return true;
    }
    if (pngOnly ? PathExtension(target) != ".png" : !SaveableExtension(target)) {
        *error = "'" + target + "' must end in " + (pngOnly ? ".png" : ".png, .jpg or .jpeg");
        return false;
    }
    plan->toFolder = false;
    plan->file = target;
    return true;
}

// Whether an input's output could be the file a later input names: that input must then be
// read after the output is written, as one input after the other would.
bool OutputMayBeLaterInput(const ConvertOptions& options, const OutputPlan& plan) {
    std::error_code ec;
    std::set<std::string> later;
    for (auto input = options.inputs.rbegin(); input != options.inputs.rend(); ++input) {
        for (const char* ext : {".png", ".jpg"}) {
            const std::string output = fs::weakly_canonical(plan.For(*input, ext), ec).string();
            if (!ec && later.count(output))
                return true;
        }
        later.insert(fs::weakly_canonical(*input, ec).string());
    }
    return false;
}

// Indents the lines of a message under the path they belong to.
void PrintResult(std::ostream& out, const std::string& path, const std::string& message) {
    out << path << "\n";
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);)
        out << "  " << line << "\n";
}

// One input's work up to the file it writes, done on any thread; what it prints waits
// here until its turn.
struct Prepared {
    std::ostringstream err; // its lines for the error stream
    bool failed = false;
    std::unique_ptr<PhoneImageDocument> document; // the phone image, when converting
    std::string exported;                         // --export-source: the PNG file's bytes
    std::string fitLine;
    int64_t fittedSize = -1;
};

// The file an --export-source run writes, made in memory so that it can be made on any
// thread and written in its turn.
bool EncodePng(const PackedDib* picture, std::string* bytes) {
    char* data = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&data, &size);
    if (!stream)
        return false;
    const bool written = WritePngStream(picture, stream) != 0;
    const bool closed = std::fclose(stream) == 0;
    if (written && closed)
        bytes->assign(data, size);
    std::free(data);
    return written && closed;
}

class Converter {
public:
    Converter(const ConvertOptions& options, const OutputPlan& plan, std::ostream& out,
              std::ostream& err)
        : o_(options), plan_(plan), out_(out),
          err_(err), settings_{options.customWidth, options.customHeight, options.profile,
                               options.format,      options.aspectLock,   options.resampling} {
        // A full temporary folder need not stop the work while the outputs' place has room.
        const fs::path folder =
            plan.toFolder ? fs::path(plan.folder) : fs::path(plan.file).parent_path();
        fallbackFolder_ = folder.empty() ? "." : folder.string();
    }

    // Reads and converts one input; safe to run for several inputs at once.
    std::unique_ptr<Prepared> Prepare(const std::string& input) const {
        auto prepared = std::make_unique<Prepared>();
        Prepared& p = *prepared;
        // The document of the windows, driven as their commands drive it.
        p.document = std::make_unique<PhoneImageDocument>(settings_);
        PhoneImageDocument& document = *p.document;
        document.SetTempFallbackFolder(fallbackFolder_);
        // Without anything to do to the picture but resample a selection of it, only the
        // rows and columns the classic resampling reads are decoded, or for area means and
        // Lanczos a JPEG at a fraction of its size.
        const Resampling how =
            o_.fit ? ResolveResampling(o_.resampling, false) : document.WantedResampling();
        const bool wholePicture =
            !o_.exportSource.empty() || AdjustsSourcePicture(o_) || !SamplableFormat(input, how);
        if (wholePicture ? !OpenWhole(input, p) : !OpenSampled(input, how, p)) {
            p.document.reset();
            return prepared;
        }
        if (!o_.exportSource.empty()) {
            p.document.reset();
            return prepared;
        }
        const OutputPipeline& pipeline = document.Pipeline();
        if (!pipeline.BaseImage())
            return Fail(std::move(prepared), input, "the selection gives no picture");
        if (o_.fit) {
            const FitResult fit = document.FitToLimit(*o_.fit, plan_.Kinds());
            p.fitLine = FitSummary(fit, *o_.fit);
            if (!fit.fits)
                return Fail(std::move(prepared), input, p.fitLine);
            p.fittedSize = fit.size;
        }
        if (!pipeline.OutputImage()) {
            const int error = pipeline.TempOutputError();
            const std::string temp = pipeline.TempOutputPath();
            return Fail(std::move(prepared), input,
                        "the conversion failed (cannot write or read '" +
                            (temp.empty() ? TempFolder() : temp) + "'" +
                            (error ? std::string(": ") + std::strerror(error) : "") + ")");
        }
        // Only the phone image waits for its turn, not the picture it was made from.
        document.SetPicture(nullptr);
        return prepared;
    }

    // Prints what the input had to say and writes its file, in input order. False when the
    // input failed (already reported); `overLimit` is set when the written file is beyond a
    // carrier's limit.
    bool Commit(const std::string& input, Prepared& p, bool* overLimit) {
        err_ << p.err.str();
        if (p.failed)
            return false;
        std::string why;
        if (!o_.exportSource.empty()) {
            const std::string path = plan_.For(input, ".png");
            if (!CheckDestination(input, path, &why))
                return Fail(input, why);
            ReplacingFile file(path);
            if (!file.stream() ||
                std::fwrite(p.exported.data(), 1, p.exported.size(), file.stream()) !=
                    p.exported.size() ||
                !file.Commit())
                return Fail(input, "cannot write '" + path + "'");
            out_ << path << "\n";
            return true;
        }
        const OutputPipeline& pipeline = p.document->Pipeline();
        const std::string path = plan_.For(input, pipeline.IsPng() ? ".png" : ".jpg");
        if (!CheckDestination(input, path, &why))
            return Fail(input, why);
        const SaveStatus status = pipeline.WriteImageByExtension(path);
        if (status != SaveStatus::Written)
            return Fail(input, "cannot write '" + path + "': " + SaveStatusText(status));
        // Judge the file as written: its own kind and bytes.
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        if (p.fittedSize >= 0 && (ec || int64_t(size) != p.fittedSize))
            return Fail(input, "'" + path + "' does not have the " + std::to_string(p.fittedSize) +
                                   " bytes the fit measured");
        const SizeCheckResult check =
            CheckOutputSize(PathExtension(path) == ".png", ec ? 0 : int64_t(size));
        PrintResult(out_, path,
                    p.fitLine.empty() ? check.message : p.fitLine + "\n" + check.message);
        lastWritten_ = path;
        // A fitted file is judged by its carrier's limit alone.
        *overLimit = o_.fit ? int64_t(size) > RuleFor(*o_.fit).limit : !check.withinLimits;
        return true;
    }

    // The file the last successful Commit wrote.
    const std::string& LastWritten() const { return lastWritten_; }

private:
    // Notes the failure for the input's turn; always false.
    static bool Failed(Prepared& p, const std::string& input, const std::string& why) {
        p.err << input << ": " << why << "\n";
        p.failed = true;
        return false;
    }
    static std::unique_ptr<Prepared> Fail(std::unique_ptr<Prepared> p, const std::string& input,
                                          const std::string& why) {
        Failed(*p, input, why);
        p->document.reset();
        return p;
    }
    bool Fail(const std::string& input, const std::string& why) {
        err_ << input << ": " << why << "\n";
        return false;
    }

    // JPEG and PNG files can be read a few rows at a time, and JPEG files at a fraction of
    // their size.
    static bool SamplableFormat(const std::string& path, Resampling how) {
        const std::string ext = PathExtension(path);
        return ext == ".jpg" || ext == ".jpeg" || (ext == ".png" && how == Resampling::Classic);
    }

    // The selection the options ask for in a width x height picture; false (and why) when it
    // lies outside.
    bool ChooseSelection(int width, int height, int targetWidth, int targetHeight,
                         ImageRect* selection, std::string* why) const {
        const ImageRect whole{0, 0, width, height};
        *selection = whole;
        if (o_.selection == ConvertOptions::Selection::Fit) {
            *selection = FitAspectRect(whole, targetWidth, targetHeight);
        } else if (o_.selection == ConvertOptions::Selection::Given) {
            *selection = o_.selectRect;
            if (selection->right > whole.right || selection->bottom > whole.bottom) {
                *why = "the selection lies outside the " + std::to_string(whole.right) + "x" +
                       std::to_string(whole.bottom) + " picture";
                return false;
            }
        }
        return true;
    }

    void NoteTruncated(const std::string& input, const PictureLoad& load, Prepared& p) const {
        if (load.error == LoadError::Truncated)
            p.err << "mokoa-convert: " << input << ": " << load.reason << "\n";
    }

    // The whole picture, adjusted; then the selection. False when the input failed.
    bool OpenWhole(const std::string& input, Prepared& p) const {
        PhoneImageDocument& document = *p.document;
        const auto fail = [&](const std::string& why) { return Failed(p, input, why); };
        // Adjustments and selection first; the base image is made once, at the end.
        const PhoneImageDocument::ChangeBatch batch(document);
        const PictureLoad load = document.OpenPicture(input);
        if (!load.loaded)
            return fail(load.reason);
        NoteTruncated(input, load, p);
        if (!AdjustSourcePicture(document, o_))
            return fail("out of memory while adjusting the picture");
        const PackedDib* picture = document.Picture();
        if (!o_.exportSource.empty()) {
            if (!EncodePng(picture, &p.exported))
                return fail("cannot write '" + plan_.For(input, ".png") + "'");
            return true;
        }
        ImageRect selection;
        std::string why;
        if (!ChooseSelection(DibWidth(picture), DibHeight(picture), document.TargetWidth(),
                             document.TargetHeight(), &selection, &why))
            return fail(why);
        if (!document.SetSelection(selection))
            return fail("the selection gives no picture");
        return true;
    }

    // Only what the base image of the selection needs, from the picture's header on.
    bool OpenSampled(const std::string& input, Resampling how, Prepared& p) const {
        PictureInfo info;
        LoadError error = LoadError::None;
        if (!ReadPictureInfo(input, &info, &error))
            return Failed(p, input, LoadErrorText(error));
        PhoneImageDocument& document = *p.document;
        ImageRect selection;
        std::string why;
        if (!ChooseSelection(info.width, info.height, document.TargetWidth(),
                             document.TargetHeight(), &selection, &why))
            return Failed(p, input, why);
        const PictureLoad load = document.OpenPictureForSelection(input, info, selection, how);
        if (!load.loaded)
            return Failed(p, input, load.reason);
        NoteTruncated(input, load, p);
        return true;
    }

    // An output may neither replace its own input nor another input's output of this run.
    bool CheckDestination(const std::string& input, const std::string& path, std::string* why) {
        std::error_code ec;
        if (fs::exists(path, ec) && fs::equivalent(path, input, ec)) {
            *why = "the output '" + path + "' would replace the input";
            return false;
        }
        const std::string key = fs::weakly_canonical(path, ec).string();
        if (!written_.insert(ec ? path : key).second) {
            *why = "the output '" + path + "' would replace an earlier output of this run";
            return false;
        }
        return true;
    }

    const ConvertOptions& o_;
    const OutputPlan& plan_;
    std::ostream& out_;
    std::ostream& err_;
    const PhoneSettings settings_;
    std::string fallbackFolder_;
    std::set<std::string> written_;
    std::string lastWritten_;
};

} // namespace

int RunConvertCommand(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    const bool exporting = !options.exportSource.empty();
    OutputPlan plan;
    std::string error;
    if (!PlanOutputs(exporting ? options.exportSource : options.output, options.inputs.size(),
                     exporting, &plan, &error)) {
        err << "mokoa-convert: " << error << "\n";
        return kExitUsage;
    }
    if (options.fit == Carrier::EZweb && !plan.toFolder && PathExtension(plan.file) != ".png") {
        err << "mokoa-convert: EZweb takes PNG files only; '" << plan.file
            << "' must end in .png\n";
        return kExitUsage;
    }
    std::unique_ptr<CliMailer> mailer;
    if (options.mail.Wanted()) {
        mailer = CliMailer::Prepare(options.mail, error);
        if (!mailer) {
            err << "mokoa-convert: " << error << "\n";
            return kExitUsage;
        }
    }
    // The plug-ins are one list for the whole process: loaded before any input is read.
    if (std::any_of(options.inputs.begin(), options.inputs.end(), [](const std::string& input) {
            const std::string ext = PathExtension(input);
            return ext != ".bmp" && ext != ".png" && ext != ".jpg" && ext != ".jpeg";
        }))
        LoadPluginsBesideExecutable();
    Converter converter(options, plan, out, err);
    bool failed = false, over = false, unmailed = false;
    const size_t n = options.inputs.size();
    const unsigned workers = OutputMayBeLaterInput(options, plan)
                                 ? 1
                                 : unsigned(std::min<size_t>(UsableProcessors(), n));
    RunInOrder<std::unique_ptr<Prepared>>(
        n, workers, [&](size_t i) { return converter.Prepare(options.inputs[i]); },
        [&](size_t i, std::unique_ptr<Prepared>& prepared) {
            const std::string& input = options.inputs[i];
            if (n > 1)
                err << "[" << i + 1 << "/" << n << "] " << input << "\n";
            bool overLimit = false;
            if (!converter.Commit(input, *prepared, &overLimit))
                failed = true;
            else if (mailer && !mailer->Send(converter.LastWritten(), out, err))
                unmailed = true;
            over = over || overLimit;
            prepared.reset();
        });
    return unmailed ? kExitMailFailed : failed ? kExitFailed : over ? kExitOverLimit : kExitOk;
}
