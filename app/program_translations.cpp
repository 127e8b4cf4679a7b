#include "app/program_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

ProgramTranslations::ProgramTranslations(UiLanguage language) {
    const bool english = language == UiLanguage::kEnglish;
    if (english) {
        programLoaded_ = program_.load(QStringLiteral(":/mokoa/i18n/mokoa_en.qm"));
        if (programLoaded_)
            QCoreApplication::installTranslator(&program_);
    }
    qtLoaded_ = qt_.load(english ? QStringLiteral("qtbase_en") : QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (qtLoaded_)
        QCoreApplication::installTranslator(&qt_);
}

ProgramTranslations::~ProgramTranslations() {
    QCoreApplication::removeTranslator(&qt_);
    QCoreApplication::removeTranslator(&program_);
}
