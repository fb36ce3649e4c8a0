#include "HelpUtilities.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTextBrowser>
#include <QUrl>

#include "ApplicationFolder.h"
#include "rmox/Error.h"

namespace qt27::HelpUtilities {

namespace {

// Dynamic properties that mark a top-level widget as a help window.
constexpr char kHandleProperty[] = "qt27HelpHandle";
constexpr char kFileProperty[] = "qt27HelpFile";

quintptr g_lastHandle = 0;

/// The help windows that are open: shown and not closed by the user.
QList<QWidget*> HelpWindows() {
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->property(kHandleProperty).isValid() && widget->isVisible()) {
            windows.append(widget);
        }
    }
    return windows;
}

QTextBrowser* HelpWindowOf(const QString& helpFile) {
    for (QWidget* window : HelpWindows()) {
        if (window->property(kFileProperty).toString() == helpFile) {
            return qobject_cast<QTextBrowser*>(window);
        }
    }
    return nullptr;
}

void UpdateTitle(QTextBrowser* window, const QString& helpFile) {
    const QString title = window->documentTitle();
    window->setWindowTitle(title.isEmpty() ? QFileInfo(helpFile).completeBaseName() : title);
}

QTextBrowser* CreateHelpWindow(QWidget* owner, const QString& helpFile) {
    // Help windows belong to the help system, not to the page that asked for them:
    // they are top-level windows that delete themselves when the user closes them
    // and are deleted by CloseAllHelp otherwise.
    auto* window = new QTextBrowser;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setProperty(kHandleProperty, QVariant::fromValue(++g_lastHandle));
    window->setProperty(kFileProperty, helpFile);
    window->setOpenExternalLinks(true);
    window->resize(640, 480);
    if (owner != nullptr) {
        window->move(owner->window()->frameGeometry().topLeft() + QPoint(40, 40));
    }
    QObject::connect(window, &QTextBrowser::sourceChanged, window,
                     [window, helpFile](const QUrl&) { UpdateTitle(window, helpFile); });
    return window;
}

quintptr ShowTopic(QWidget* owner, const QString& helpFile, int contextId) {
    const QString topic = TopicPath(helpFile, contextId);
    if (!QFileInfo(topic).isFile()) {
        throw rmox::Error(rmox::Error::FileNotFound, QStringLiteral("File not found: %1").arg(topic));
    }
    QTextBrowser* window = HelpWindowOf(helpFile);
    if (window == nullptr) {
        window = CreateHelpWindow(owner, helpFile);
    }
    window->setSource(QUrl::fromLocalFile(QDir::fromNativeSeparators(topic)));
    UpdateTitle(window, helpFile);
    window->show();
    window->raise();
    window->activateWindow();
    return window->property(kHandleProperty).value<quintptr>();
}

}  // namespace

QString HelpFilePath() {
    return QDir::toNativeSeparators(ApplicationFolder() + QStringLiteral("/../help/rimox.chm"));
}

QString TopicPath(const QString& helpFile, int contextId) {
    const QString name =
        contextId == 0 ? QStringLiteral("index.html") : QStringLiteral("%1.html").arg(contextId);
    const QString folder = QFileInfo(helpFile).path() + QStringLiteral("/rimox/");
    // The topic in the user's language where there is one ("de/21500.html").
    const QString language = QLocale().name().section(QLatin1Char('_'), 0, 0);
    const QString translated = folder + language + QLatin1Char('/') + name;
    return QDir::toNativeSeparators(QFileInfo::exists(translated) ? translated : folder + name);
}

QString TopicPath(int contextId) {
    return TopicPath(HelpFilePath(), contextId);
}

quintptr HtmlHelp(QWidget* owner, const QString& helpFile, Command command, int contextId) {
    switch (command) {
        case HH_DISPLAY_TOPIC:
            return ShowTopic(owner, helpFile, 0);
        case HH_HELP_CONTEXT:
            return ShowTopic(owner, helpFile, contextId);
        case HH_CLOSE_ALL:
            for (QWidget* window : HelpWindows()) {
                delete window;
            }
            return 0;
    }
    return 0;
}

quintptr ShowHelp(QWidget* owner, int contextId) {
    return contextId != 0 ? HtmlHelp(owner, HelpFilePath(), HH_HELP_CONTEXT, contextId)
                          : HtmlHelp(owner, HelpFilePath(), HH_DISPLAY_TOPIC, 0);
}

void CloseAllHelp() {
    HtmlHelp(nullptr, QString(), HH_CLOSE_ALL, 0);
}

int OpenHelpWindowCount() {
    return static_cast<int>(HelpWindows().size());
}

}  // namespace qt27::HelpUtilities
