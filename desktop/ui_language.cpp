#include "desktop/ui_language.h"

UiLanguage UiLanguageOf(const QLocale& locale) {
    return locale.language() == QLocale::Japanese ? UiLanguage::kJapanese : UiLanguage::kEnglish;
}
