#include "FrameLanguage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace frame {

namespace {

constexpr char kResourceFolder[] = ":/i18n";

struct Installed {
    QString language = QStringLiteral("en");
    std::unique_ptr<QTranslator> frameTexts;
    std::unique_ptr<QTranslator> qtTexts;
};

Installed& installed() {
    static Installed state;
    return state;
}

// One translator per language for translateIn, loaded once.
QTranslator* frameTranslator(const QString& language) {
    static QHash<QString, std::shared_ptr<QTranslator>> loaded;
    auto found = loaded.find(language);
    if (found == loaded.end()) {
        auto translator = std::make_shared<QTranslator>();
        if (!translator->load(QStringLiteral("qt27frame_") + language, QLatin1String(kResourceFolder))) {
            translator.reset();
        }
        found = loaded.insert(language, translator);
    }
    return found->get();
}

QLocale localeOf(const QString& language) {
    // The system's own locale where it speaks the language (de_AT stays Austrian).
    const QLocale system = QLocale::system();
    const QLocale wanted(language);
    return system.language() == wanted.language() ? system : wanted;
}

}  // namespace

bool useFrameLanguage(const QString& language) {
    Installed& state = installed();
    for (std::unique_ptr<QTranslator>* translator : {&state.frameTexts, &state.qtTexts}) {
        if (*translator) {
            QCoreApplication::removeTranslator(translator->get());
            translator->reset();
        }
    }
    state.language = language;
    QLocale::setDefault(localeOf(language));
    if (language == QLatin1String("en")) {
        return true;
    }
    auto qtTexts = std::make_unique<QTranslator>();
    // Missing when Qt's translations are not installed: the standard buttons then stay English.
    if (qtTexts->load(QStringLiteral("qtbase_") + language,
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtTexts.get());
        state.qtTexts = std::move(qtTexts);
    }
    auto frameTexts = std::make_unique<QTranslator>();
    if (!frameTexts->load(QStringLiteral("qt27frame_") + language, QLatin1String(kResourceFolder))) {
        return false;
    }
    QCoreApplication::installTranslator(frameTexts.get());
    state.frameTexts = std::move(frameTexts);
    return true;
}

QString frameLanguage() {
    return installed().language;
}

QString translateIn(const QString& language, const char* context, const char* source) {
    const QTranslator* translator = language == QLatin1String("en") ? nullptr : frameTranslator(language);
    const QString translated = translator != nullptr ? translator->translate(context, source) : QString();
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

TranslatedTexts::TranslatedTexts(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

void TranslatedTexts::add(QObject* target, std::function<void()> apply) {
    apply();
    m_entries.append({target, std::move(apply)});
}

bool TranslatedTexts::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    return QObject::eventFilter(watched, event);
}

void TranslatedTexts::retranslate() {
    for (qsizetype index = m_entries.size() - 1; index >= 0; --index) {
        if (m_entries[index].first.isNull()) {
            m_entries.removeAt(index);
        }
    }
    for (const auto& [target, apply] : std::as_const(m_entries)) {
        apply();
    }
}

}  // namespace frame
