#include "cli/convert_command.h"

#include "cli/source_picture.h"
#include "image/encoders.h"
#include "phone/output_pipeline.h"
#include "phone/save.h"
#include "phone/selection.h"

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
        : o_(options), plan_(plan), out_(out), err_(err),
          pipeline_(PhoneSettings{options.customWidth, options.customHeight, options.profile,
                                  options.format}) {}

    // False when the input failed (already reported); `overLimit` is set when the written
    // file is beyond a carrier's limit.
    bool Convert(const std::string& input, bool* overLimit) {
        std::string why;
        DibPtr picture = LoadSourcePicture(input, &why);
        if (!picture)
            return Fail(input, why);
        picture = AdjustSourcePicture(std::move(picture), o_);
        if (!picture)
            return Fail(input, "out of memory while adjusting the picture");

        if (!o_.exportSource.empty()) {
            const std::string path = plan_.For(input, ".png");
            if (!CheckDestination(input, path, &why))
                return Fail(input, why);
            if (!WritePngFile(picture.get(), path))
                return Fail(input, "cannot write '" + path + "'");
            out_ << path << "\n";
            return true;
        }

        const ImageRect whole{0, 0, picture->width, picture->height};
        ImageRect selection = whole;
        if (o_.selection == ConvertOptions::Selection::Fit) {
            selection = FitAspectRect(whole, pipeline_.TargetWidth(), pipeline_.TargetHeight());
        } else if (o_.selection == ConvertOptions::Selection::Given) {
            selection = o_.selectRect;
            if (selection.right > whole.right || selection.bottom > whole.bottom)
                return Fail(input, "the selection lies outside the " + std::to_string(whole.right) +
                                       "x" + std::to_string(whole.bottom) + " picture");
        }
        DibPtr base = MakeBaseImage(picture.get(), selection, pipeline_.TargetWidth(),
                                    pipeline_.TargetHeight(), o_.aspectLock, BaseResampling(o_));
        picture.reset();
        if (!base)
            return Fail(input, "the selection gives no picture");
        pipeline_.SetBaseImage(std::move(base), false);
        std::string fitLine;
        int64_t fittedSize = -1;
        if (o_.fit) {
            const FitResult fit = FitToLimit(pipeline_.BaseImage(), *o_.fit, plan_.Kinds());
            fitLine = FitSummary(fit, *o_.fit);
            if (!fit.fits)
                return Fail(input, fitLine);
            pipeline_.SetFittedFormat(fit);
            fittedSize = fit.size;
        }
        if (!pipeline_.OutputImage())
            return Fail(input, "the conversion failed (cannot write or read '" +
                                   pipeline_.TempOutputPath() + "')");

        const std::string path = plan_.For(input, pipeline_.IsPng() ? ".png" : ".jpg");
        if (!CheckDestination(input, path, &why))
            return Fail(input, why);
        const SaveStatus status = pipeline_.WriteImageByExtension(path);
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
        // A fitted file is judged by its carrier's limit alone.
        *overLimit = o_.fit ? int64_t(size) > RuleFor(*o_.fit).limit : !check.withinLimits;
        return true;
    }

private:
    bool Fail(const std::string& input, const std::string& why) {
        err_ << input << ": " << why << "\n";
        return false;
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
    OutputPipeline pipeline_;
    std::set<std::string> written_;
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
    Converter converter(options, plan, out, err);
    bool failed = false, over = false;
    const size_t n = options.inputs.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& input = options.inputs[i];
        if (n > 1)
            err << "[" << i + 1 << "/" << n << "] " << input << "\n";
        bool overLimit = false;
        if (!converter.Convert(input, &overLimit))
            failed = true;
        over = over || overLimit;
    }
    return failed ? kExitFailed : over ? kExitOverLimit : kExitOk;
}
