// The language the program's windows speak: Japanese, the language its texts are written
// in, for a Japanese locale; English for every other.
#pragma once

#include <QLocale>

enum class UiLanguage { kJapanese, kEnglish };

// Of the system's locale unless told otherwise (LC_ALL, LC_MESSAGES, LANG, LANGUAGE).
UiLanguage UiLanguageOf(const QLocale& locale = QLocale::system());
