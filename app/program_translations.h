// The translations the program runs with: its own English one (its texts are written in
// Japanese) and Qt's own for its dialogs, so that both speak the same language.
#pragma once

#include "desktop/ui_language.h"

#include <QTranslator>

class ProgramTranslations {
public:
    // Loads and installs the translations for `language`; removed again on destruction.
    explicit ProgramTranslations(UiLanguage language);
    ~ProgramTranslations();
    ProgramTranslations(const ProgramTranslations&) = delete;
    ProgramTranslations& operator=(const ProgramTranslations&) = delete;

    // The program's own translation: needed, and installed, for English only.
    bool ProgramLoaded() const { return programLoaded_; }
    // Qt's own (qtbase_*.qm from Qt's translations folder); false when it is not installed.
    bool QtLoaded() const { return qtLoaded_; }

private:
    QTranslator program_, qt_;
    bool programLoaded_ = false, qtLoaded_ = false;
};
