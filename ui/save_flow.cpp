#include "ui/save_flow.h"

#include "phone/output_pipeline.h"
#include "phone/phone_image_document.h"
#include "phone/save.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kSaveFilter =
    "PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|すべてのファイル (*.*)|*.*||";
constexpr int kJpegFilterIndex = 2;

QString SaveStatusReason(SaveStatus status, int error) {
    switch (status) {
    case SaveStatus::Written:
        break;
    case SaveStatus::NoImage:
        return QStringLiteral("保存する携帯画像がありません。");
    case SaveStatus::UnknownExtension:
        return QStringLiteral("ファイル名の拡張子は .png、.jpg、.jpeg のいずれかにしてください。");
    case SaveStatus::WriteFailed:
        if (error != 0)
            return QStringLiteral("書き込みできませんでした（%1）。")
                .arg(QString::fromLocal8Bit(std::strerror(error)));
        return QStringLiteral("書き込みできませんでした。");
    }
    return {};
}

} // namespace

FileDialogRequest SaveDialogRequest(const QString& documentName, const QString& saveFolder,
                                    bool png) {
    FileDialogRequest request;
    request.title = QStringLiteral("画像ファイルの書き込み");
    request.folder = saveFolder;
    request.proposedName = QString::fromStdString(ProposedSaveName(documentName.toStdString()));
    request.filter = QString::fromUtf8(kSaveFilter);
    request.filterIndex = png ? 1 : kJpegFilterIndex;
    request.defaultSuffix = QStringLiteral("png");
    return request;
}

QString ChosenSavePath(const FileDialogResult& result) {
    if (result.path.isEmpty())
        return {};
    return QString::fromStdString(
        AddDefaultExtension(result.path.toStdString(), result.filterIndex == kJpegFilterIndex));
}

QString SaveFailureMessage(const QString& path, const QString& reason) {
    return QStringLiteral("ファイル「%1」を保存できませんでした。\n%2").arg(path, reason);
}

bool SaveFlow::Save(const OutputPipeline& pipeline, QString& documentName, QString& saveFolder) {
    const FileDialogRequest request = SaveDialogRequest(documentName, saveFolder, pipeline.IsPng());
    documentName = request.proposedName;
    const QString path = ChosenSavePath(prompts_.SaveFile(parent_, request));
    if (path.isEmpty())
        return false;
    saveFolder = QString::fromStdString(FolderOfPath(path.toStdString()));
    errno = 0;
    const SaveStatus status = pipeline.WriteImageByExtension(path.toStdString());
    const int error = errno;
    if (status == SaveStatus::Written)
        return true;
    prompts_.ShowMessage(parent_, SaveFailureMessage(path, SaveStatusReason(status, error)),
                         UserPrompts::Icon::kWarning);
    return false;
}

void SaveFlow::CheckSize(PhoneImageDocument& document) {
    const SizeCheckResult result = document.CheckSize();
    prompts_.ShowMessage(parent_, QString::fromStdString(result.message), UserPrompts::Icon::kNone);
}
