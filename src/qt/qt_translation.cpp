#include "qt/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

#include <vector>

namespace corvath {
namespace {

constexpr const char* kContext = "corvath";

// The texts that the window logic makes from a fixed text and values, as they
// read in English; %1 and %2 stand for the values.
constexpr const char* kComposedTexts[] = {
    QT_TRANSLATE_NOOP("corvath", "Disk %1 of %2"),
    QT_TRANSLATE_NOOP("corvath", "Scanning %1"),
    // The progress count, once the window has dropped "scanned".
    QT_TRANSLATE_NOOP("corvath", "%1 files, %2 folders "),
    QT_TRANSLATE_NOOP("corvath", "The selected drives are not accessible and cannot be analyzed: \n%1"),
    QT_TRANSLATE_NOOP("corvath", "The following drives are not accessible and will not be analyzed: \n%1"),
    // The drive list's names of drives without a label.
    QT_TRANSLATE_NOOP("corvath", "Local Disk (%1)"),
    QT_TRANSLATE_NOOP("corvath", "Removable Disk (%1)"),
    QT_TRANSLATE_NOOP("corvath", "Network Drive (%1)"),
    QT_TRANSLATE_NOOP("corvath", "CD Drive (%1)"),
    QT_TRANSLATE_NOOP("corvath", "RAM Disk (%1)"),
};

struct Composed {
    const char* source;
    QRegularExpression pattern;  // the English text, with a group for each value
};

const std::vector<Composed>& composedTexts() {
    static const std::vector<Composed> texts = [] {
        std::vector<Composed> list;
        static const QRegularExpression value(QStringLiteral("%[12]"));
        for (const char* source : kComposedTexts) {
            QString pattern = QStringLiteral("^");
            qsizetype from = 0;
            const QString text = QString::fromUtf8(source);
            for (auto it = value.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch match = it.next();
                pattern += QRegularExpression::escape(text.mid(from, match.capturedStart() - from)) + "(.*)";
                from = match.capturedEnd();
            }
            pattern += QRegularExpression::escape(text.mid(from)) + "$";
            list.push_back({source, QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)});
        }
        return list;
    }();
    return texts;
}

bool loadInto(QCoreApplication& app, const QLocale& locale, const QString& name, const QString& folder) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace

void installTranslations(QCoreApplication& app) {
    const QLocale locale;  // the user's, unless a test has set another
    if (locale.language() == QLocale::C) return;
    // The wizard's catalogue, and the results window's where the program has it.
    bool ours = false;
    for (const char* name : {"corvath", "corvath_results"}) {
        ours = loadInto(app, locale, QString::fromLatin1(name), QStringLiteral(":/corvath/i18n")) || ours;
    }
    if (ours) loadInto(app, locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString translatedText(const std::string& english) {
    const QString source = QString::fromStdString(english);
    const QString whole = QCoreApplication::translate(kContext, english.c_str());
    if (whole != source) return whole;
    for (const Composed& composed : composedTexts()) {
        const QRegularExpressionMatch match = composed.pattern.match(source);
        if (!match.hasMatch()) continue;
        const QString fixed = QCoreApplication::translate(kContext, composed.source);
        if (fixed == QString::fromUtf8(composed.source)) return source;
        // One pass over the fixed text, so that a value holding "%2" stays as it is.
        return match.lastCapturedIndex() == 1 ? fixed.arg(match.captured(1))
                                               : fixed.arg(match.captured(1), match.captured(2));
    }
    return source;
}

}  // namespace corvath
