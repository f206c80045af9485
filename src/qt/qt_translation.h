#pragma once

#include <QString>

#include <string>

class QCoreApplication;

namespace corvath {

// Loads the translations for the user's language, as the locale names it
// (LC_ALL, LC_MESSAGES, LANG, LANGUAGE): ours, and Qt's own for the message
// boxes' buttons. Under the C locale, or for a language without a translation,
// nothing is loaded and every text stays English.
void installTranslations(QCoreApplication& app);

// What the user reads for an English text that the window logic hands over:
// its translation as a whole; for a text made of a fixed text and values (a
// count, a drive name), the fixed text's translation with the values put back;
// else the text itself, unchanged.
QString translatedText(const std::string& english);

}  // namespace corvath
