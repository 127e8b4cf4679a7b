#include "ui/core_texts.h"

#include "phone/formats.h"
#include "phone/output_pipeline.h"
#include "phone/profile_selection.h"
#include "phone/size_check.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

// What the profiles are for, the part of their names in brackets.
[[maybe_unused]] const char* const kProfileUses[] = {
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "着信"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "アラーム"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "電源ON/OFF"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "壁紙"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "着信/アラーム"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受/電源ON"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受/壁紙/電源ON/OFF"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受/壁紙"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "壁紙/待受"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "音声着信"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "時計ON"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受/壁紙/アラーム/電源ON/OFF"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受/壁紙/アラーム/Web"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "待受/アラーム"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "壁紙・小"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "壁紙・大/電源ON/OFF"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "壁紙・中"),
    QT_TRANSLATE_NOOP("PhoneProfiles", "壁紙/電源ON/OFF"),
};

// The format list's entries that are not already English.
[[maybe_unused]] const char* const kFormatTexts[] = {
    QT_TRANSLATE_NOOP("OutputFormats", "PNG グレースケール 16色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG グレースケール 256色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 8色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 12色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 16色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 32色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 64色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 128色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 最適化 256色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG WebSafe Color 256色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 8色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 12色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 16色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 32色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 64色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 128色"),
    QT_TRANSLATE_NOOP("OutputFormats", "PNG 高画質 256色"),
};

// The plug-in host's first entry, all the plug-ins' patterns together.
const char* const kAllPluginsLabel = QT_TRANSLATE_NOOP("CoreTexts", "全Susieプラグイン対応画像");

QString FittedFormatWords(const OutputFormat& format, int colors, int64_t size) {
    if (format.IsJpeg())
        return QCoreApplication::translate("CoreTexts", "JPEG 高画質 品質%1%2%3 %4バイト")
            .arg(QString::number(format.jpeg.quality),
                 format.jpeg.flatTables ? QCoreApplication::translate("CoreTexts", " 平坦")
                                        : QString(),
                 format.jpeg.fullChroma ? QStringLiteral(" 4:4:4") : QString(),
                 QString::number(size));
    if (format.UsesRunBias())
        return QCoreApplication::translate("CoreTexts", "PNG 高画質 %1色 平滑%2 %3バイト")
            .arg(QString::number(colors), QString::number(format.runBias), QString::number(size));
    return QCoreApplication::translate("CoreTexts", "PNG 高画質 %1色 ディザ%2% %3バイト")
        .arg(QString::number(colors), QString::number(format.dither), QString::number(size));
}

// Rounded by the C library, as the core rounds it (Qt's own formatting rounds halves up).
QString PsnrText(double psnr) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", psnr);
    return QString::fromLatin1(text);
}

} // namespace

QString LoadFailureReason(LoadError error) {
    switch (error) {
    case LoadError::NoExtension:
        return QCoreApplication::translate("CoreTexts", "ファイル名に拡張子がありません。");
    case LoadError::NotFound:
        return QCoreApplication::translate("CoreTexts", "ファイルがないか、読み込めません。");
    case LoadError::Unsupported:
        return QCoreApplication::translate("CoreTexts", "対応していない形式です。");
    case LoadError::Damaged:
        return QCoreApplication::translate("CoreTexts", "ファイルが壊れています。");
    case LoadError::TooLarge:
        return QCoreApplication::translate("CoreTexts", "画像が大きすぎます。");
    case LoadError::NotAFile:
        return QCoreApplication::translate("CoreTexts", "通常のファイルではありません。");
    case LoadError::Truncated:
        return QCoreApplication::translate(
            "CoreTexts", "ファイルが途中で切れています。足りない部分は埋めました。");
    case LoadError::None:
        break;
    }
    return QCoreApplication::translate("CoreTexts", "原因のわからないエラーです。");
}

QString OpenFailureMessage(const QString& path, LoadError error) {
    return QCoreApplication::translate("CoreTexts", "ファイル「%1」を開けませんでした。\n%2")
        .arg(QDir::toNativeSeparators(path), LoadFailureReason(error));
}

QString ProfileItemText(const ProfileSelection& profile, int index) {
    if (index == kCustomProfileIndex)
        return QCoreApplication::translate("CoreTexts", "カスタムサイズ %1x%2")
            .arg(QString::number(profile.CustomWidth()), QString::number(profile.CustomHeight()));
    // "J-SH05(待受/壁紙)": the model stays, its use is translated.
    const QString name = QString::fromStdString(profile.ItemText(index));
    const qsizetype open = name.indexOf('(');
    if (open < 0 || !name.endsWith(')'))
        return name;
    const QByteArray use = name.mid(open + 1, name.size() - open - 2).toUtf8();
    return name.left(open + 1) + QCoreApplication::translate("PhoneProfiles", use.constData()) +
           ')';
}

QString ProfileCaption(const ProfileSelection& profile) {
    return QCoreApplication::translate("CoreTexts", "モコア %1  [%2 x %3]")
        .arg(ProfileItemText(profile, profile.SelectedIndex()),
             QString::number(profile.TargetWidth()), QString::number(profile.TargetHeight()));
}

QString FormatItemText(const OutputPipeline& pipeline, int index) {
    const auto formats = OutputFormats();
    if (index >= 0 && size_t(index) < formats.size())
        return QCoreApplication::translate("OutputFormats", formats[size_t(index)].text);
    if (index == pipeline.FittedFormatIndex() && pipeline.HasFittedFormat())
        return FittedFormatWords(pipeline.FittedFormat(), pipeline.FittedColors(),
                                 pipeline.FittedSize());
    return {};
}

QString SizeCheckText(const SizeCheckResult& result, bool png) {
    const QString bytes = QString::number(result.size);
    if (result.size <= 0)
        return QCoreApplication::translate("CoreTexts",
                                           "なんらかの問題でファイルの保存が出来ません。");
    if (png && result.size > kEZwebLimit)
        return QCoreApplication::translate(
                   "CoreTexts", "[PNG %1 バイト]\nJ-Sky : NG !!\neZweb : NG !!\n"
                                "J-Sky用のPNGファイルは 6 KB 以内にしてください。\n"
                                "eZweb用のPNGファイルは 7 KB 以内にしてください。\n"
                                "（色数を減らしたり、画像のサイズを小さくしたりしてください）")
            .arg(bytes);
    if (png && result.size > kJSkyLimit)
        return QCoreApplication::translate(
                   "CoreTexts", "[PNG %1 バイト]\neZweb : OK !!\nJ-Sky : NG !!\n"
                                "J-Sky用のPNGファイルは 6 KB 以内にしてください。\n"
                                "（色数を減らしたり、画像のサイズを小さくしたりしてください）")
            .arg(bytes);
    if (!png && result.size > kJSkyLimit)
        return QCoreApplication::translate(
                   "CoreTexts", "[JPEG %1 バイト]\nJ-Sky : NG !!\n"
                                "J-Sky用のJPEGファイルは 6 KB 以内にしてください。\n"
                                "（色数を減らしたり、画像のサイズを小さくしたりしてください）")
            .arg(bytes);
    return QCoreApplication::translate("CoreTexts", "%1 %2 バイト OK !")
        .arg(png ? QStringLiteral("PNG") : QStringLiteral("JPEG"), bytes);
}

QString FitSummaryText(const FitResult& result, Carrier carrier) {
    const CarrierRule& rule = RuleFor(carrier);
    const QString name = QString::fromUtf8(rule.name);
    const QString limit = QString::number(rule.limit);
    if (result.fits)
        return QCoreApplication::translate("CoreTexts", "%1 %2 バイト以内: %3 (PSNR %4 dB)")
            .arg(name, limit, FittedFormatWords(result.format, result.colorsUsed, result.size),
                 PsnrText(result.psnr));
    if (result.size > 0)
        return QCoreApplication::translate(
                   "CoreTexts", "%1 の %2 バイト以内に収まる形式はありません（最小 %3 バイト）")
            .arg(name, limit, QString::number(result.size));
    return QCoreApplication::translate("CoreTexts", "%1: 画像がないため合わせられません").arg(name);
}

QString PluginFilterText(const QString& filter) {
    const QString label = QString::fromUtf8(kAllPluginsLabel);
    if (!filter.startsWith(label + '|'))
        return filter;
    return QCoreApplication::translate("CoreTexts", kAllPluginsLabel) + filter.mid(label.size());
}
