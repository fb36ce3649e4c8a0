#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

namespace frame {

/// The frame's own language layer. The frame's texts are written in English in
/// tr() and translated with Qt Linguist: frame/translations/qt27frame_<language>.ts,
/// built to .qm by CMake and embedded under ":/i18n". Qt's own translations
/// (qtbase_<language>.qm from Qt's translations folder, where installed) translate
/// the standard buttons of message boxes, input and file dialogs.
///
/// Choices about languages and numbers:
///  - The frame follows the system language (LANG=de_DE.UTF-8 gives German) unless
///    --language or the Language menu says otherwise; the menu switches the frame's
///    own texts at once (menus, docks, tree, error panel, station panel) and the
///    pages opened afterwards; an open page keeps the language it opened in.
///  - Numbers the frame writes itself (seconds in its notes, the station panel's
///    spin boxes, the audit trail's times) follow the frame language's locale
///    ("2,5 s" in German): the default locale is set with the language.
///  - Numbers inside a page are the module's own texts and stay as the module writes
///    them: a measured value uses the decimal separator of the module's resource
///    texts ("8,927" in German), while the damping entries "100 ms", "2.6 s" and
///    "29.2 s" are fixed names of the module's filter settings, the same in every
///    language. The frame does not rewrite them.
///  - A page's help topic follows the default locale's language too
///    (qt27::HelpUtilities::TopicPath): German where the topic is translated.
///  - The command line's help follows the system language too; the frame's own
///    error messages on the command line stay English (they end up in scripts and
///    logs).
///  - The host's messages that reach the user (a store refused under another
///    user's lock, a module that does not answer in time, a project file or audit
///    trail that cannot be read or written, the simulated station's read and write
///    errors) are translated where the host makes them, in the language installed
///    at that moment, and shown as they were made: a message already in the error
///    panel keeps its language after the Language menu. main installs the chosen
///    language before the project is read, so a project that cannot be read is
///    told in that language, on the command line as in the window. The host's
///    texts that are data (sample comments of the built-in station, the audit
///    trail's entry codes) or that only tests and logs read (why a request was
///    refused) stay as they are.

/// Installs the frame's translations and Qt's for @p language ("en" or "de") in
/// the application, replacing those installed before, and makes the language's
/// locale the default one. English removes them. False when the frame's
/// translation for a language other than English cannot be loaded.
bool useFrameLanguage(const QString& language);

/// The language installed by useFrameLanguage ("en" before any call).
QString frameLanguage();

/// @p source of @p context translated into @p language, whatever language is
/// installed; @p source itself for English or without a translation.
QString translateIn(const QString& language, const char* context, const char* source);

/// Texts set again when the application's language changes: each entry sets its
/// text at once and after every change, as long as its object lives.
class TranslatedTexts : public QObject {
public:
    explicit TranslatedTexts(QObject* parent = nullptr);
    /// Calls @p apply now and after every language change while @p target lives.
    void add(QObject* target, std::function<void()> apply);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void retranslate();
    QList<QPair<QPointer<QObject>, std::function<void()>>> m_entries;
};

}  // namespace frame
