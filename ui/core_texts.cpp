#include "ui/core_texts.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CoreTexts", text);
}

} // namespace

QString LoadFailureReason(LoadError error) {
    switch (error) {
    case LoadError::NoExtension:
        return Tr(QT_TRANSLATE_NOOP("CoreTexts", "ファイル名に拡張子がありません。"));
    case LoadError::NotFound:
        return Tr(QT_TRANSLATE_NOOP("CoreTexts", "ファイルがないか、読み込めません。"));
    case LoadError::Unsupported:
        return Tr(QT_TRANSLATE_NOOP("CoreTexts", "対応していない形式です。"));
    case LoadError::Damaged:
        return Tr(QT_TRANSLATE_NOOP("CoreTexts", "ファイルが壊れています。"));
    case LoadError::TooLarge:
        return Tr(QT_TRANSLATE_NOOP("CoreTexts", "画像が大きすぎます。"));
    case LoadError::None:
        break;
    }
    return Tr(QT_TRANSLATE_NOOP("CoreTexts", "原因のわからないエラーです。"));
}

QString OpenFailureMessage(const QString& path, LoadError error) {
    return QCoreApplication::translate("CoreTexts", "ファイル「%1」を開けませんでした。\n%2")
        .arg(QDir::toNativeSeparators(path), LoadFailureReason(error));
}
