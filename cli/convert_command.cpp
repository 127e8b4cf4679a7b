#include "cli/convert_command.h"

#include "cli/mail_sender.h"
#include "cli/source_picture.h"
#include "image/encoders.h"
#include "phone/phone_image_document.h"
#include "phone/save.h"
#include "phone/selection.h"
#include "phone/temp_file.h"

#include <cstring>
#include <filesystem>
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

// Indents the lines of a message under the path they belong to.
void PrintResult(std::ostream& out, const std::string& path, const std::string& message) {
    out << path << "\n";
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);)
        out << "  " << line << "\n";
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

    // False when the input failed (already reported); `overLimit` is set when the written
    // file is beyond a carrier's limit.
    bool Convert(const std::string& input, bool* overLimit) {
        // The document of the windows, driven as their commands drive it.
        PhoneImageDocument document(settings_);
        document.SetTempFallbackFolder(fallbackFolder_);
        std::string why;
        {
            // Adjustments and selection first; the base image is made once, at the end.
            const PhoneImageDocument::ChangeBatch batch(document);
            const PictureLoad load = document.OpenPicture(input);
            if (!load.loaded)
                return Fail(input, load.reason);
            if (load.error == LoadError::Truncated)
                err_ << "mokoa-convert: " << input << ": " << load.reason << "\n";
            if (!AdjustSourcePicture(document, o_))
                return Fail(input, "out of memory while adjusting the picture");

            if (!o_.exportSource.empty())
                return ExportSource(input, document.Picture());

            const PackedDib* picture = document.Picture();
            const ImageRect whole{0, 0, DibWidth(picture), DibHeight(picture)};
            ImageRect selection = whole;
            if (o_.selection == ConvertOptions::Selection::Fit) {
                selection = FitAspectRect(whole, document.TargetWidth(), document.TargetHeight());
            } else if (o_.selection == ConvertOptions::Selection::Given) {
                selection = o_.selectRect;
                if (selection.right > whole.right || selection.bottom > whole.bottom)
                    return Fail(input, "the selection lies outside the " +
                                           std::to_string(whole.right) + "x" +
                                           std::to_string(whole.bottom) + " picture");
            }
            if (!document.SetSelection(selection))
                return Fail(input, "the selection gives no picture");
        }
        const OutputPipeline& pipeline = document.Pipeline();
        if (!pipeline.BaseImage())
            return Fail(input, "the selection gives no picture");
        std::string fitLine;
        int64_t fittedSize = -1;
        if (o_.fit) {
            const FitResult fit = document.FitToLimit(*o_.fit, plan_.Kinds());
            fitLine = FitSummary(fit, *o_.fit);
            if (!fit.fits)
                return Fail(input, fitLine);
            fittedSize = fit.size;
        }
        if (!pipeline.OutputImage()) {
            const int error = pipeline.TempOutputError();
            const std::string temp = pipeline.TempOutputPath();
            return Fail(input, "the conversion failed (cannot write or read '" +
                                   (temp.empty() ? TempFolder() : temp) + "'" +
                                   (error ? std::string(": ") + std::strerror(error) : "") + ")");
        }

        const std::string path = plan_.For(input, pipeline.IsPng() ? ".png" : ".jpg");
        if (!CheckDestination(input, path, &why))
            return Fail(input, why);
        const SaveStatus status = pipeline.WriteImageByExtension(path);
        if (status != SaveStatus::Written)
            return Fail(input, "cannot write '" + path + "': " + SaveStatusText(status));
        // Judge the file as written: its own kind and bytes.
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        if (fittedSize >= 0 && (ec || int64_t(size) != fittedSize))
            return Fail(input, "'" + path + "' does not have the " + std::to_string(fittedSize) +
                                   " bytes the fit measured");
        const SizeCheckResult check =
            CheckOutputSize(PathExtension(path) == ".png", ec ? 0 : int64_t(size));
        PrintResult(out_, path, fitLine.empty() ? check.message : fitLine + "\n" + check.message);
        lastWritten_ = path;
        // A fitted file is judged by its carrier's limit alone.
        *overLimit = o_.fit ? int64_t(size) > RuleFor(*o_.fit).limit : !check.withinLimits;
        return true;
    }

    // The file the last successful Convert wrote.
    const std::string& LastWritten() const { return lastWritten_; }

private:
    bool Fail(const std::string& input, const std::string& why) {
        err_ << input << ": " << why << "\n";
        return false;
    }

    // --export-source: the adjusted picture as PNG, instead of a phone picture.
    bool ExportSource(const std::string& input, const PackedDib* picture) {
        const std::string path = plan_.For(input, ".png");
        std::string why;
        if (!CheckDestination(input, path, &why))
            return Fail(input, why);
        if (!WritePngFile(picture, path))
            return Fail(input, "cannot write '" + path + "'");
        out_ << path << "\n";
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
    Converter converter(options, plan, out, err);
    bool failed = false, over = false, unmailed = false;
    const size_t n = options.inputs.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& input = options.inputs[i];
        if (n > 1)
            err << "[" << i + 1 << "/" << n << "] " << input << "\n";
        bool overLimit = false;
        if (!converter.Convert(input, &overLimit))
            failed = true;
        else if (mailer && !mailer->Send(converter.LastWritten(), out, err))
            unmailed = true;
        over = over || overLimit;
    }
    return unmailed ? kExitMailFailed : failed ? kExitFailed : over ? kExitOverLimit : kExitOk;
}
