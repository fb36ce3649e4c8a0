// The production data: the decoder and the stored form as tables; the device variant table
// and the place of the device picture. The Identification page on the scripted host: the
// start (stored data or "-/-", picture, catalogue number), one reading with its log records,
// storing (once for the same data, not without MayEdit, never from an undecodable telegram),
// the comment's lock and its write-back at the release; and end to end in the frame on the
// simulated station. The session itself, in every state, is the session table's.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>

#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/identification/Identification.h"
#include "frame/PageWindows.h"
#include "frame/StationPanel.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/Error.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"
#include "support/DebugLogCapture.h"
#include "support/FrameFixture.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;
using testsupport::runQueue;
using Kind = testsupport::FakeCommunication::Kind;
using rmox::PropertyBag;
using rmox::QsData;

/// The telegram the simulated station sends for these fields (date yyyy-MM-dd, "" none).
QByteArray station(const char* charge, const char* serial, const char* sw, const char* hw, const char* date) {
    return host::SimulatedStation::encodeProductionData(
        {QLatin1String(charge), QLatin1String(serial), QLatin1String(sw), QLatin1String(hw),
         QDate::fromString(QLatin1String(date), Qt::ISODate)});
}
const QByteArray kGood = station("K2231-03", "QT37-012003", "2.14", "1.02", "2023-03-04");

QString shown(const QsData& data) {
    return QStringList({data.ChargeCode, data.SerialNumber, data.SoftwareRevision, data.HardwareRevision,
                        data.DateOfLastRefresh.toString(Qt::ISODate)})
        .join('|');
}

/// "charge|serial|software|hardware|date", or "!" and the error text.
template <typename Read>
QString outcome(Read read) {
    QsData data;
    try {
        read(data);
    } catch (const rmox::Error& error) {
        return '!' + error.description();
    }
    return shown(data);
}
QString decoded(const QByteArray& telegram) {
    return outcome([&](QsData& data) { data.Decode(telegram); });
}
QString readBack(const QByteArray& form) {
    return outcome([&](QsData& data) {
        PropertyBag bag;
        bag.SetContents(form);
        data.ReadProperties(bag.ReadObject(QStringLiteral("QsData")));
    });
}
QByteArray storedForm(const QByteArray& telegram) {
    QsData data;
    data.Decode(telegram);
    PropertyBag object, bag;
    data.WriteProperties(object);
    bag.WriteObject(QStringLiteral("QsData"), object);
    return bag.Contents();
}

/// A row holds when the result equals the expectation, or starts with it when that ends in "...".
void expectRow(const QString& result, const char* expected) {
    const QString text = QString::fromUtf8(expected);
    EXPECT_TRUE(text.endsWith("...") ? result.startsWith(text.chopped(3)) : result == text)
        << result.toStdString() << " / " << expected;
}

TEST(QsDataTest, TelegramsDecodeToTheirFieldsOrAreRefusedWithTheReason) {
    const auto with = [](int index, const QByteArray& bytes) {
        return QByteArray(kGood).replace(index, bytes.size(), bytes);
    };
    const std::pair<QByteArray, const char*> rows[] = {
        {kGood, "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        // Fields filled to the last byte; the first and the last day; no date; blanks inside stay.
        {station("ABCDEFGHIJ", "123456789012", "9.99", "0.01", "2000-01-01"),
         "ABCDEFGHIJ|123456789012|9.99|0.01|2000-01-01"},
        {station("~", "!", "x", "y", "2255-12-31"), "~|!|x|y|2255-12-31"},
        {station("  K 1", "S N", "", "", ""), "  K 1|S N|||"},
        {with(8, QByteArray(2, '\0')), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {kGood.left(32), "!Production data: the telegram has 32 bytes, 33 expected"},
        {kGood + ' ', "!Production data: the telegram has 34 bytes, 33 expected"},
        {QByteArray(), "!Production data: the telegram has 0 bytes, 33 expected"},
        {with(12, "\x07"),
         "!Production data: byte 12 of the serial number is 0x07, not a printable character"},
        {with(0, "\x80"), "!Production data: byte 0 of the charge code is 0x80..."},
        {with(23, "\x7F"), "!Production data: byte 23 of the software revision is 0x7F..."},
        {with(26, "\x1F"), "!Production data: byte 26 of the hardware revision is 0x1F..."},
        // A zero byte ends a field only where nothing printable follows.
        {with(3, QByteArray("\0X", 2)), "!Production data: byte 3 of the charge code is 0x00..."},
        {with(31, "\x02\x1E"),
         "!Production data: the date of the last refresh (year 2023, month 2, day 30) does not exist"},
        {with(30, QByteArray("\0\0\x01", 3)),
         "!Production data: the date of the last refresh (year 2000, month 0, day 1)..."},
        {with(31, "\x0D"), "!Production data: the date of the last refresh (year 2023, month 13, day 4)..."},
    };
    for (const auto& [telegram, expected] : rows) {
        expectRow(decoded(telegram), expected);
    }
}

TEST(QsDataTest, TheStoredFormIsStableReadsBackAndRefusesDamage) {
    const QByteArray form = storedForm(kGood);
    EXPECT_EQ(form, storedForm(QByteArray(kGood)));
    EXPECT_NE(form, storedForm(station("K2231-03", "QT37-012004", "2.14", "1.02", "2023-03-04")));
    EXPECT_EQ(readBack(storedForm(station("K", "S", "1", "2", ""))), QStringLiteral("K|S|1|2|"));
    // The object's property @p name set to @p value through the bag.
    const auto changed = [&](const char* name, const QVariant& value) {
        PropertyBag bag;
        bag.SetContents(form);
        PropertyBag object = bag.ReadObject(QStringLiteral("QsData"));
        object.WriteProperty(QLatin1String(name), value);
        bag.WriteObject(QStringLiteral("QsData"), object);
        return bag.Contents();
    };
    const auto bytes = [&](const char* after, int offset, const QByteArray& replacement, int length = 1) {
        return QByteArray(form).replace(form.indexOf(after) + offset, length, replacement);
    };
    const std::pair<QByteArray, const char*> rows[] = {
        {form, "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        // A later version with more properties reads; the names are what counts.
        {changed("FormatVersion", 2), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {changed("SerialNumber", QStringLiteral("X")), "K2231-03|X|2.14|1.02|2023-03-04"},
        {changed("FormatVersion", 0), "!Production data: unknown format version 0"},
        {changed("SerialNumber", 12), "!Production data: \"SerialNumber\" is of type int"},
        {changed("DateOfLastRefresh", QStringLiteral("2023")),
         "!Production data: \"DateOfLastRefresh\" is of..."},
        {bytes("RPB", 0, "X"), "!Property bag: no property bag header"},
        {bytes("RPB", 3, "\x02"), "!Property bag: unknown format version 2"},
        {form.chopped(1), "!Property bag: cut short at byte..."},
        {form + '\0', "!Property bag: 1 bytes left over"},
        {QByteArray(), "!Property bag: cut short at byte 0"},
        {bytes("ChargeCode", 10, "X"), "!Property bag: unknown type of \"ChargeCode\"..."},
        {bytes("QsData", 6, "S"), "!Property bag: \"QsData\" holds no object"},
        {bytes("ChargeCode", -1, "\x0CSerialNumber", 11), "!Property bag: \"SerialNumber\" stands twice"},
        {bytes("DateOfLastRefresh", 18, QByteArray("\x07\xE7\x02\x1E", 4), 4),
         "!Property bag: \"DateOfLastRefresh\" holds no date"},
    };
    for (const auto& [stored, expected] : rows) {
        expectRow(readBack(stored), expected);
    }
    PropertyBag bag;
    EXPECT_THROW(bag.WriteProperty(QString(256, 'n'), 1), rmox::Error);
    EXPECT_THROW(bag.WriteProperty(QStringLiteral("n"), 1.5), rmox::Error);
}

TEST(VariantTest, TheFirstWordOfTheTypeNameChoosesTheCatalogueNumber) {
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"QT27-N 4AI", "7310462"}, {"QT271Ex 4AI", "400093215"}, {"QT271-N 4 AI", "400093216"}, {"QT27EX", "???"},
        {" QT27Ex", "???"}, {"QT27Ex\t4AI", "???"}, {"QT27Ex-4AI", "???"}, {"", "???"}};
    // clang-format on
    for (const auto& [typeName, number] : rows) {
        EXPECT_EQ(qt27::Identification::CatalogueNumber(QLatin1String(typeName)), QLatin1String(number))
            << typeName;
    }
}

// Picture pixels -> Left, Width in twips (3915 high at Top 840): halves round to even, the
// centring division truncates toward zero, also for a picture wider than its area.
TEST(VariantTest, TheDevicePictureIsScaledAndCentred) {
    const std::tuple<QSize, int, int> rows[] = {{{180, 261}, 6022, 2700}, {{181, 260}, 6010, 2725},
                                                {{1, 2}, 6393, 1958},     {{3, 2}, 4437, 5872},
                                                {{200, 100}, 3458, 7830}, {{0, 10}, 6000, 0}};
    for (const auto& [pixels, left, width] : rows) {
        EXPECT_EQ(qt27::Identification::DevicePictureRect(pixels), QRect(left, 840, width, 3915)) << width;
    }
}

QByteArray telegram(const char* serial, const char* date = "2023-03-04") {
    return station("K2231-07", serial, "2.14", "1.02", date);
}

/// The page's five production-data fields, "|" between them.
QString fields(const QWidget* page) {
    QStringList texts;
    for (const char* name : {"txtChargeNumber", "txtSerialNumber", "txtSoftwareRevision",
                             "txtHardwareRevision", "txtLastUpdate"}) {
        texts << child<QLineEdit>(page, name)->text();
    }
    return texts.join('|');
}

/// The entries of @p log from @p start on that name one of @p names.
QString calls(const QStringList& log, qsizetype start, const QStringList& names) {
    QStringList result = log.mid(start);
    result.removeIf([&](const QString& entry) { return !names.contains(entry.section('(', 0, 0)); });
    return result.join(' ');
}

class IdentificationTest : public testing::Test {
protected:
    IdentificationTest() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~IdentificationTest() override { QLocale::setDefault(previousLocale); }

    /// What the data set saw since the last call.
    QString stores() {
        const qsizetype start = std::exchange(mark, session.dtm.log.size());
        return calls(session.dtm.log, start,
                     {"MayEdit", "SetStoredQsData", "NotifyDataChanged", "EndEditing"});
    }
    /// Reread on the offline page; the read is answered with @p data, then the disconnect.
    void read(const QByteArray& data) {
        page.ctlButtons_PageButton(), runQueue(), session.comm.answerConnect(), runQueue();
        session.comm.answerRead(data), runQueue(), session.comm.answerDisconnect();
    }

    const QLocale previousLocale;
    testsupport::PageSession session;
    qt27::Identification page;
    qsizetype mark = 0;
};

// Without stored data: "-/-" in the five fields, "OMVEX", the catalogue number, the type and
// the device texts. The document key chooses the picture exactly; the picture stands where
// its size says.
TEST_F(IdentificationTest, StartsOfflineOutsideState6WithoutStoredData) {
    session.dtm.base.stateValue = 5;
    ASSERT_TRUE(session.init(page));
    runQueue();
    EXPECT_EQ(fields(&page), QStringLiteral("-/-|-/-|-/-|-/-|-/-"));
    EXPECT_EQ(child<QLineEdit>(&page, "txtManufacturer")->text() +
                  child<QLineEdit>(&page, "txtOrderNumber")->text(),
              QStringLiteral("OMVEX7310458"));
    EXPECT_EQ(child<QLabel>(&page, "lblModuleType")->text(), QStringLiteral("QT27Ex"));
    // Description, channels and ranges each show a device text of their own.
    const QSet<QString> texts = {child<QPlainTextEdit>(&page, "txtDescription")->toPlainText(),
                                 child<QLineEdit>(&page, "txtChannels")->text(),
                                 child<QPlainTextEdit>(&page, "txtRanges")->toPlainText()};
    EXPECT_TRUE(texts.size() == 3 && !texts.contains(QString()));

    const QString key = session.dtm.documentKey;
    for (const QString& documentKey : {key, key.toUpper(), key.toLower(), QString()}) {
        testsupport::PageSession other;
        other.dtm.documentKey = documentKey;
        qt27::Identification shown;
        other.init(shown);
        const auto* picture = child<QLabel>(&shown, "imgDevice");
        const int id = documentKey == key ? 601 : 609;
        const QRect place = qt27::Identification::DevicePictureRect(
            rmox::ResourceManager().GetPicture(id, qt27::CommonResourceFolder()).size());
        EXPECT_EQ(picture->geometry(), qt27::twipsRect(place.x(), place.y(), place.width(), place.height()));
        EXPECT_EQ(picture->property("pictureId").toInt(), id) << documentKey.toStdString();
    }
}

// State 6: the page connects by itself; the answer's records; the data show (date in the short date format)
// and are stored; NotifyDataChanged, EndEditing.
TEST_F(IdentificationTest, OneReadingShowsAndStoresTheProductionData) {
    session.init(page);
    stores();
    testsupport::DebugLogCapture log;
    runQueue(), session.comm.answerConnect(), runQueue();
    session.comm.answerRead(telegram("QT37-012007")), runQueue(), session.comm.answerDisconnect();
    EXPECT_EQ(log.linesFrom("Identification.OnTransactionResponse: ")
                  .replaceInStrings("Identification.OnTransactionResponse: ", ""),
              QStringList({"sOnlineInvokeId: " + session.comm.last(Kind::Transaction).invokeId,
                           "Parsing response " + testsupport::FakeCommunication::readResponse(
                                                     telegram("QT37-012007"), session.comm.reference),
                           "Calling Disconnect"}));
    EXPECT_EQ(fields(&page), QStringLiteral("K2231-07|QT37-012007|2.14|1.02|04.03.23"));
    EXPECT_EQ(stores(), QStringLiteral("MayEdit SetStoredQsData NotifyDataChanged EndEditing"));
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-012007")));
    EXPECT_TRUE(!page.isOnline() && page.buttons()->pageButton()->isEnabled());
}

// Stored data show at the start; the same data read again are not written again, other data
// are; without MayEdit they show but are not stored; an undecodable telegram is reported and
// changes neither; no date shows "-/-". A stored form that cannot be read shows "-/-".
TEST_F(IdentificationTest, StoresOnlyChangedDataAndOnlyWhenItMayEdit) {
    session.dtm.base.parameterManager.qsData = storedForm(telegram("QT37-000001"));
    session.dtm.base.stateValue = 0;
    session.init(page);
    EXPECT_EQ(fields(&page), QStringLiteral("K2231-07|QT37-000001|2.14|1.02|04.03.23"));
    stores();
    const std::tuple<QByteArray, bool, const char*, const char*> rows[] = {
        {telegram("QT37-000001"), true, "", "QT37-000001|2.14|1.02|04.03.23"},
        {telegram("QT37-000002", ""), true, "MayEdit SetStoredQsData NotifyDataChanged EndEditing",
         "QT37-000002|2.14|1.02|-/-"},
        {telegram("QT37-000003"), false, "MayEdit", "QT37-000003|2.14|1.02|04.03.23"},
        {telegram("QT37-000004").left(20), true, "", "QT37-000003|2.14|1.02|04.03.23"},
    };
    for (const auto& [data, mayEdit, stored, shown] : rows) {
        session.dtm.base.mayEdit = mayEdit;
        read(data);
        EXPECT_EQ(stores(), QLatin1String(stored));
        EXPECT_EQ(fields(&page), "K2231-07|" + QLatin1String(shown));
    }
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-000002", "")));
    ASSERT_EQ(session.dtm.base.events.errors.size(), 1);
    EXPECT_EQ(session.dtm.base.events.errors[0].second,
              QStringLiteral("Production data: the telegram has 20 bytes, 33 expected"));

    testsupport::PageSession damaged;
    damaged.dtm.base.parameterManager.qsData = storedForm(telegram("QT37-000001")).chopped(2);
    qt27::Identification other;
    damaged.init(other);
    EXPECT_EQ(fields(&other), QStringLiteral("-/-|-/-|-/-|-/-|-/-"));
    runQueue(), damaged.comm.answerConnect(), runQueue();
    damaged.comm.answerRead(telegram("QT37-000001")), runQueue();
    EXPECT_EQ(damaged.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-000001")));
}

// The comment is read-only and greyed while another holds the data set, editable again once
// this DTM holds it, and locked from the start without MayEdit.
TEST_F(IdentificationTest, TheCommentFollowsTheDataSetLock) {
    session.dtm.module.comment = QStringLiteral("Boiler");
    session.init(page);
    auto* comment = child<QPlainTextEdit>(&page, "txtComment");
    EXPECT_EQ(comment->toPlainText(), QStringLiteral("Boiler"));
    const auto state = [](const QPlainTextEdit* text) {
        const bool grey =
            text->palette().color(QPalette::Base) != QApplication::palette().color(QPalette::Base);
        return QString(text->isReadOnly() ? "locked" : "open") + (grey ? " grey" : " white");
    };
    EXPECT_EQ(state(comment), QStringLiteral("open white"));
    emit session.dtm.base.LockDataSet(QStringLiteral("other"));
    EXPECT_EQ(state(comment), QStringLiteral("locked grey"));
    session.dtm.base.holdsLock = true;
    emit session.dtm.base.LockDataSet(QStringLiteral("other"));  // held by this DTM now
    EXPECT_EQ(state(comment), QStringLiteral("open white"));

    testsupport::PageSession readOnly;
    readOnly.dtm.base.mayEdit = false;
    qt27::Identification other;
    readOnly.init(other);
    EXPECT_EQ(state(child<QPlainTextEdit>(&other, "txtComment")), QStringLiteral("locked grey"));
}

// The comment is written back at the release only when the user changed it and it differs
// from the stored one, before EndEditing, also while a reading is under way; once.
TEST_F(IdentificationTest, TheCommentIsWrittenBackAtTheReleaseWhenEdited) {
    // The edit ("=" none, "~" changed and back, "!x" the text x and the stored comment changed
    // meanwhile to x, "?x" only the stored comment changed to x; else the new text), whether a
    // reading is under way, and what the data set sees from the release on.
    const QString released = QStringLiteral("EndEditing UiReleased(INV-1)");
    const std::tuple<QString, bool, QString> rows[] = {
        {"=", false, released},
        {"~", false, released},
        {"!new", false, released},
        {"?other", false, released},
        {"Old", false, "SetComment(Old) NotifyDataChanged " + released},
        {"", true, "SetComment() NotifyDataChanged " + released},
    };
    for (const auto& [edit, busy, expected] : rows) {
        SCOPED_TRACE(edit.toStdString());
        testsupport::PageSession run;
        run.dtm.module.comment = QStringLiteral("old");
        run.dtm.base.stateValue = busy ? 6 : 0;
        qt27::Identification closing;
        run.init(closing);
        runQueue();
        busy ? run.comm.answerConnect(), runQueue() : void();
        auto* text = child<QPlainTextEdit>(&closing, "txtComment");
        if (edit == "~") {
            text->setPlainText(QStringLiteral("changed")), text->setPlainText(QStringLiteral("old"));
        } else if (edit.startsWith('!') || edit.startsWith('?')) {
            run.dtm.module.comment = edit.mid(1);
            edit.startsWith('!') ? text->setPlainText(edit.mid(1)) : void();
        } else if (edit != "=") {
            text->setPlainText(edit);
        }
        const qsizetype start = run.dtm.log.size();
        EXPECT_TRUE(closing.IDtmActiveXControl_PrepareToRelease());
        runQueue();
        if (busy) {
            run.comm.answerReadWithoutParts(), runQueue(), runQueue();
            run.comm.answerDisconnect(), runQueue();
        }
        EXPECT_EQ(calls(run.dtm.log, start, {"SetComment", "NotifyDataChanged", "EndEditing", "UiReleased"}),
                  expected);
        EXPECT_TRUE(closing.IDtmActiveXControl_PrepareToRelease());
        EXPECT_EQ(run.dtm.base.uiReleasedCount, 1);
        EXPECT_EQ(run.dtm.calls("SetComment").size(), expected.count("SetComment"));
    }
}

// In the frame on the simulated station: the data read at the start are in the project file;
// reopened offline (the station panel's online switch off) after the serial number changed
// at the station, the stored data show until reread; a comment typed is stored.
using IdentificationInFrameTest = testsupport::FrameFixture;

TEST_F(IdentificationInFrameTest, ProductionDataAndCommentLiveInTheProjectFile) {
    const QString path = station.projectPath();
    window->selectSlot(3);
    qt27::Identification* page = nullptr;
    QMdiSubWindow* sub = nullptr;
    const auto open = [&] {
        sub = window->openPage(3, QStringLiteral("Identification"));
        page = qobject_cast<qt27::Identification*>(frame::pageIn(sub));
    };
    const auto shows = [&](const QString& serial) {
        return QTest::qWaitFor(
            [&] { return !page->isOnline() && fields(page).section('|', 1, 1) == serial; });
    };
    const auto closeAndLoad = [&] {
        sub->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->openPages().isEmpty(); }));
        return *host::StationProject::load(path).module(3);
    };
    const auto storedSerial = [](const host::ModuleRecord& module) {
        return readBack(module.qsData).section('|', 1, 1);
    };
    const QString first = simulation.productionData(3).serialNumber;
    open();
    ASSERT_TRUE(shows(first));
    EXPECT_EQ(storedSerial(closeAndLoad()), first);

    window->findChild<QCheckBox*>(QStringLiteral("chkDtmOnline"))->setChecked(false);
    window->findChild<QLineEdit*>(QStringLiteral("txtStationSerialNumber"))
        ->setText(QStringLiteral("QT37-999999"));
    open();
    QTest::qWait(50);
    EXPECT_TRUE(shows(first) && !page->isConnecting());
    page->buttons()->pageButton()->click();
    ASSERT_TRUE(shows(QStringLiteral("QT37-999999")));
    child<QPlainTextEdit>(page, "txtComment")->setPlainText(QStringLiteral("Checked after the repair"));
    const host::ModuleRecord stored = closeAndLoad();
    EXPECT_EQ(storedSerial(stored) + ' ' + stored.comment,
              QStringLiteral("QT37-999999 Checked after the repair"));
    EXPECT_EQ(stored.stateValue, 0);
    EXPECT_TRUE(window->errors().isEmpty()) << window->errors().join('\n').toStdString();
}

}  // namespace
