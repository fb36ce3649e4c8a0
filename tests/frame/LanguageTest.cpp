// The frame in German: every text the frame shows itself is translated, at a start
// in German and after the Language menu alike, its numbers follow the language; the
// translation file is complete; a German system locale alone gives German.

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include "QT27Controls/parameter/Parameter.h"
#include "frame/FrameLanguage.h"
#include "frame/LockDialog.h"
#include "frame/PageWindows.h"
#include "host/BaseDtm.h"
#include "host/ParameterManager.h"
#include "host/StationProject.h"
#include "rmox/Error.h"
#include "support/FrameFixture.h"

namespace {

constexpr int kSlot = 3;

// Texts that are the same word in both languages, or names.
const QStringList kSameInBothLanguages = {"Station", "Parameter", "Simulation", "online",
                                          "offline", "Signal",    "Offset",     "Amplitude",
                                          "ms",      "English",   "Deutsch",    "OK"};

// The texts of @p root's visible widgets: captions, titles, place holders, tool
// tips, list entries and column headers.
void addWidgetTexts(const QWidget* root, QStringList& texts) {
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        for (const char* name : {"text", "title", "placeholderText", "toolTip"}) {
            texts << (widget->isVisibleTo(root) ? widget->property(name).toString() : QString());
        }
        if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
            for (int index = 0; index < box->count(); ++index) {
                texts << box->itemText(index);
            }
        }
        if (const auto* header = qobject_cast<const QHeaderView*>(widget)) {
            for (int column = 0; column < header->count(); ++column) {
                texts << header->model()->headerData(column, Qt::Horizontal).toString();
            }
        }
    }
}

class LanguageTest : public testsupport::FrameFixture {
protected:
    void TearDown() override {
        frame::useFrameLanguage(QStringLiteral("en"));
        FrameFixture::TearDown();
    }

    // Everything the frame writes itself, in a fixed order: menus and their
    // entries, the docks (titles, controls, headers, actions), the station tree and
    // the page windows' titles.
    static QStringList frameTexts(frame::FrameWindow& frameWindow) {
        QStringList texts;
        for (QMenu* menu : frameWindow.menuBar()->findChildren<QMenu*>()) {
            emit menu->aboutToShow();
        }
        for (const QAction* action : frameWindow.findChildren<QAction*>()) {
            texts << action->text();
        }
        for (QDockWidget* dock : frameWindow.findChildren<QDockWidget*>()) {
            texts << dock->windowTitle();
            addWidgetTexts(dock, texts);
        }
        auto* tree = frameWindow.findChild<QTreeWidget*>(QStringLiteral("treStation"));
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
            texts << (*it)->text(0) << (*it)->text(1) << (*it)->toolTip(1);
        }
        for (const QMdiSubWindow* sub : frameWindow.findChild<QMdiArea*>()->subWindowList()) {
            texts << sub->windowTitle();
        }
        texts.removeAll(QString());
        return texts;
    }

    // The lock dialog and the question about an unsaved edit on a Parameter page of
    // the module in @p slot, opened now, as the user sees them.
    QStringList dialogTexts(int slot) {
        QStringList texts;
        QScopedPointer<QInputDialog> lock(
            frame::makeLockDialog(window.get(), QStringLiteral("slot 03"), "operator"));
        lock->show();
        texts << lock->windowTitle();
        addWidgetTexts(lock.data(), texts);
        QMdiSubWindow* sub = window->openPage(slot, QStringLiteral("Parameter"));
        qobject_cast<qt27::Parameter*>(frame::pageIn(sub))->ctlChannelParameter_RangeChanged(1, 2);
        QTimer::singleShot(0, window.get(), [&texts] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            addWidgetTexts(box, texts);
            box->reject();  // keeps the window and the edit
        });
        sub->close();
        texts.removeAll(QString());
        return texts;
    }

    // What is left of @p text once the station's own names, the numbers and the marks
    // are taken out.
    QString wordsOf(QString text) const {
        text.remove(QLatin1Char('&'));
        QStringList names = {station.stationName(), QStringLiteral("operator")};
        for (const host::Station::ModuleInfo& module : station.modules()) {
            names << module.typeName << module.tags;
        }
        for (const QString& name : names) {
            text.remove(name);
        }
        return text.remove(QRegularExpression(QStringLiteral("[^\\p{L} ]"))).simplified();
    }

    void expectTranslated(const QStringList& english, const QStringList& german) {
        ASSERT_EQ(english.size(), german.size()) << german.join('|').toStdString();
        for (qsizetype index = 0; index < english.size(); ++index) {
            const QString words = wordsOf(english[index]);
            EXPECT_FALSE(!words.isEmpty() && words == wordsOf(german[index]) &&
                         !kSameInBothLanguages.contains(words))
                << "English in the German frame: " << german[index].toStdString();
        }
    }
};

TEST_F(LanguageTest, NoEnglishIsLeftInAGermanFrame) {
    // The question comes from a page opened in the language asked about; the page
    // stays open with its edit.
    const QStringList englishDialogs = dialogTexts(4);
    for (const char* page : {"About", "Parameter"}) {
        window->openPage(kSlot, QLatin1String(page));
    }
    const QStringList english = frameTexts(*window);

    // The Language menu switches the frame's own texts at once.
    window->setLanguage(QStringLiteral("de"));
    const QStringList german = frameTexts(*window);
    expectTranslated(english, german);
    // Numbers the frame writes itself follow the language.
    EXPECT_TRUE(window->findChild<QDoubleSpinBox*>()->text().contains(QLatin1Char(',')));
    expectTranslated(englishDialogs, dialogTexts(5));
    // Numbers on a page are the module's own: its filter settings keep their names.
    const auto* damping =
        frame::pageIn(window->openPage(5, QStringLiteral("Parameter")))->findChild<QComboBox*>("cboDamping");
    EXPECT_EQ(damping->itemText(0) + " " + damping->itemText(2), QStringLiteral("aus 2.6 s"));

    // A frame that starts in German shows the same texts.
    frame::FrameWindow started(station, simulation, service, registry);
    started.show();
    for (const auto& [slot, page] :
         {std::pair{4, "Parameter"}, std::pair{kSlot, "About"}, std::pair{kSlot, "Parameter"}}) {
        started.openPage(slot, QLatin1String(page));
    }
    EXPECT_EQ(frameTexts(started), german);
    started.close();
    EXPECT_TRUE(testsupport::waitFor([&] { return started.openPages().isEmpty(); }));
}

// What the host says reaches a German frame in German: a store refused because
// another user holds the data set's lock, and a project file that cannot be read.
TEST_F(LanguageTest, HostMessagesFollowTheFrameLanguage) {
    window->setLanguage(QStringLiteral("de"));
    ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(QStringLiteral("operator")));
    baseDtmOf(kSlot)->parameterManager()->SetComment(QStringLiteral("changed while locked"));
    EXPECT_EQ(window->errors()
                  .filter(QStringLiteral("Nicht gespeichert: Der Datensatz ist von operator gesperrt."))
                  .size(),
              1)
        << window->errors().join('\n').toStdString();
    try {
        host::StationProject::fromXml(QByteArray(), QStringLiteral("empty.xml"));
        ADD_FAILURE() << "an empty project file was read";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.description().toStdString(), "Stationsprojektdatei „empty.xml“ ist leer");
    }
}

// Every text of the translation file has its German text, with the same place
// holders and a mnemonic where the English has one, and the built translation
// the frame loads says the same.
TEST(TranslationFileTest, EveryTextIsTranslated) {
    QFile file(QStringLiteral(QT27_FRAME_TRANSLATIONS "/qt27frame_de.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    int messages = 0;
    const auto placeHolders = [](const QString& text) {
        QStringList found;
        for (const QRegularExpressionMatch& match :
             QRegularExpression(QStringLiteral("%L?\\d")).globalMatch(text)) {
            found << match.captured();
        }
        found.sort();
        return found;
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            ++messages;
            const bool unfinished = xml.attributes().hasAttribute(QStringLiteral("type"));
            const QString german = xml.readElementText();
            SCOPED_TRACE(source.toStdString());
            EXPECT_FALSE(unfinished || german.isEmpty());
            EXPECT_TRUE(german != source ||
                        kSameInBothLanguages.contains(
                            QString(source).remove(QRegularExpression("[^\\p{L} ]")).simplified()));
            EXPECT_EQ(placeHolders(german), placeHolders(source));
            EXPECT_EQ(german.count(QLatin1Char('&')), source.count(QLatin1Char('&')));
            EXPECT_EQ(frame::translateIn(QStringLiteral("de"), context.toUtf8().constData(),
                                         source.toUtf8().constData()),
                      german);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 100);
}

// The command line's help follows the system language alone; the frame's texts
// follow the same choice (main installs both from it).
TEST(SystemLanguageTest, GermanLocaleAloneGivesGerman) {
    const QString description = QStringLiteral("Opens the QT27 pages on a simulated rimox station.");
    for (const auto& [lang, expected] :
         {std::pair{"de_DE.UTF-8", frame::translateIn("de", "main", description.toUtf8().constData())},
          std::pair{"en_US.UTF-8", description}}) {
        QProcess frameProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) {
            environment.remove(QLatin1String(name));
        }
        environment.insert(QStringLiteral("LANG"), QLatin1String(lang));
        frameProcess.setProcessEnvironment(environment);
        frameProcess.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qt27frame"), {"--help"});
        ASSERT_TRUE(frameProcess.waitForFinished(30000));
        const QString help = QString::fromUtf8(frameProcess.readAllStandardOutput());
        EXPECT_TRUE(help.contains(expected)) << lang << ": " << help.toStdString();
    }
    EXPECT_NE(frame::translateIn("de", "main", description.toUtf8().constData()), description);
}

}  // namespace
