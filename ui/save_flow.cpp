#include "ui/save_flow.h"

#include "phone/output_pipeline.h"
#include "phone/phone_image_document.h"
#include "phone/save.h"
#include "ui/core_texts.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kSaveFilter = QT_TRANSLATE_NOOP(
    "SaveFlow", "PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|すべてのファイル (*.*)|*.*||");
constexpr int kJpegFilterIndex = 2;

QString SaveStatusReason(SaveStatus status, int error) {
    switch (status) {
    case SaveStatus::Written:
        break;
    case SaveStatus::NoImage:
        return QCoreApplication::translate("SaveFlow", "保存する携帯画像がありません。");
    case SaveStatus::UnknownExtension:
        return QCoreApplication::translate(
            "SaveFlow", "ファイル名の拡張子は .png、.jpg、.jpeg のいずれかにしてください。");
    case SaveStatus::WriteFailed:
        if (error != 0)
            return QCoreApplication::translate("SaveFlow", "書き込みできませんでした（%1）。")
                .arg(QString::fromLocal8Bit(std::strerror(error)));
        return QCoreApplication::translate("SaveFlow", "書き込みできませんでした。");
    case SaveStatus::ReadOnly:
        return QCoreApplication::translate("SaveFlow",
                                           "このファイルは読み取り専用です。別の名前で保存してください。");
    case SaveStatus::NotAFile:
        return QCoreApplication::translate(
            "SaveFlow", "この名前はフォルダーなど、ファイルでないものを指しています。");
    }
    return {};
}

} // namespace

FileDialogRequest SaveDialogRequest(const QString& documentName, const QString& saveFolder,
                                    bool png) {
    FileDialogRequest request;
    request.title = QCoreApplication::translate("SaveFlow", "画像ファイルの書き込み");
    request.folder = saveFolder;
    request.proposedName = QString::fromStdString(ProposedSaveName(documentName.toStdString()));
    request.filter = QCoreApplication::translate("SaveFlow", kSaveFilter);
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
    return QCoreApplication::translate("SaveFlow", "ファイル「%1」を保存できませんでした。\n%2")
        .arg(path, reason);
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
    prompts_.ShowMessage(parent_, SizeCheckText(result, document.Pipeline().IsPng()),
                         UserPrompts::Icon::kNone);
}
