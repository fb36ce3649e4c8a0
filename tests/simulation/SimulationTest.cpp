// The force-value editor in English and German, and the forcing protocol of the Simulation page on
// the scripted host: each row plays a script from an online, idle page; requests sent, state after.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>

#include "QT27Controls/simulation/ChannelSimulation.h"
#include "QT27Controls/simulation/Simulation.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;
using testsupport::FakeCommunication;
using Kind = FakeCommunication::Kind;

QCheckBox* forcing(const QWidget* editor) {
    return child<QCheckBox>(editor, "chkForcingActivated");
}

// Actions: "t:<text>" typed and Enter, "x:<text>" typed, "o" the focus to another control, "w" to
// another window, "s:<permille>" the slider, "c" a click on the gauge, "u:<index>" the unit. Then
// the force value text, the raw force value, the slider and the ForceValueChanged values.
struct EditorRow {
    int type, range, unit;
    const char *language, *actions, *text;
    qint16 forceValue;
    float slider;
    const char* events;
};

const EditorRow kEditorRows[] = {
    {37, 0, 1, "de", "t:5,5", "5,500", 5500, 458.333F, "5500"},
    {37, 3, 0, "en", "t:-30", "-30.0", -800, -33.333F, "-800"},
    // Too large for 16 bits: the previous value comes back and is reported again.
    {37, 0, 0, "de", "t:50 t:400", "50,0", 5000, 416.667F, "5000 5000"},
    {37, 0, 1, "en", "t:abc", "0.000", 0, 0, "0"},
    {37, 1, 0, "en", "t:\t+1E+2x", "100.0", 10000, 833.333F, "10000"},
    {54, 3, 1, "de", "t:2.5", "2,500", 2500, 416.667F, "2500"},
    // Another unit keeps the raw value.
    {37, 3, 1, "de", "t:12 u:0", "50,0", 12000, 500, "12000"},
    // Halves go to the even raw value.
    {37, 0, 1, "en", "s:0.375 s:0.125", "0.002", 2, 0.167F, "4 2"},
    // The click shows the value as stored, not as typed.
    {37, 0, 1, "en", "t:5.0004 c", "5.000", 5000, 416.667F, "5000 5000"},
    // Leaving the box for another control commits; another window taking the focus does not.
    {37, 0, 1, "en", "x:7 o", "7.000", 7000, 583.333F, "7000"},
    {37, 0, 1, "en", "x:7 w", "7", 0, 0, ""},
    // Without a scaling nothing is committed.
    {99, 0, 1, "en", "t:5 s:500", "5", 0, 0, ""},
};

void PrintTo(const EditorRow& row, std::ostream* out) {
    *out << row.type << '/' << row.range << '/' << row.unit << ' ' << row.language << ' ' << row.actions;
}

class ChannelSimulationTest : public testing::TestWithParam<EditorRow> {
protected:
    void configure(const EditorRow& row) {
        QLocale::setDefault(QLocale(QLatin1String(row.language)));
        resources.setLanguage(QLatin1String(row.language));
        resources.setResourceFolder(qt27::DeviceResourceFolder());
        editor.setTyp(static_cast<qint16>(row.type));
        editor.setResourceManager(&resources);
        editor.setRange(static_cast<quint8>(row.range));
        editor.setIsInitializing(false);
        child<QComboBox>(&editor, "cmbUnit")->setCurrentIndex(row.unit);
    }
    rmox::ResourceManager resources;
    qt27::ChannelSimulation editor;
    QLineEdit* text = child<QLineEdit>(&editor, "txtForceValue");
    QSignalSpy values{&editor, &qt27::ChannelSimulation::ForceValueChanged};
};

TEST_P(ChannelSimulationTest, CommitsAndSliderGiveTheRawForceValue) {
    const EditorRow& row = GetParam();
    configure(row);
    auto* gauge = child<rmox::GaugeCtl>(&editor, "ctlGauge");
    QSignalSpy returnPressed(text, &QLineEdit::returnPressed);
    for (const QString& action : QString::fromLatin1(row.actions).split(' ')) {
        QFocusEvent focusOut(QEvent::FocusOut,
                             action == "o" ? Qt::TabFocusReason : Qt::ActiveWindowFocusReason);
        action.startsWith("t:") ? text->setText(action.mid(2)), QTest::keyClick(text, Qt::Key_Return)
    : action.startsWith("x:")   ? text->setText(action.mid(2))
    : action.startsWith("s:")   ? emit gauge->SliderChanged(action.mid(2).toFloat())
    : action == "c"             ? emit gauge->Click(0)
    : action.startsWith("u:")   ? child<QComboBox>(&editor, "cmbUnit")->setCurrentIndex(action.mid(2).toInt())
                                : void(QApplication::sendEvent(text, &focusOut));
    }
    QStringList events;
    std::transform(values.begin(), values.end(), std::back_inserter(events),
                   [](const QList<QVariant>& event) { return event.at(0).toString(); });
    EXPECT_EQ(events.join(' '), QLatin1String(row.events));
    EXPECT_EQ(editor.ForceValue(), row.forceValue);
    EXPECT_EQ(text->text(), QString::fromUtf8(row.text));
    EXPECT_NEAR(gauge->SliderValue(), row.slider, 0.001);
    EXPECT_EQ(returnPressed.count(), 0);  // Enter stops at the editor
}

INSTANTIATE_TEST_SUITE_P(Rows, ChannelSimulationTest, testing::ValuesIn(kEditorRows));

// Locked: the connection does not unlock the switch (the unit list stays); unlocking enables it offline.
TEST_F(ChannelSimulationTest, TheLockHoldsAgainstTheConnection) {
    configure(kEditorRows[0]);
    editor.setLocked(true);
    editor.setHasConnection(true);
    EXPECT_FALSE(forcing(&editor)->isEnabled() || text->isEnabled());
    EXPECT_TRUE(child<QComboBox>(&editor, "cmbUnit")->isEnabled());
    editor.setHasConnection(false);
    editor.setLocked(false);
    EXPECT_TRUE(forcing(&editor)->isEnabled());
}

// ---------------------------------------------------------------------------------
// The forcing protocol

struct Play {
    Play() {
        EXPECT_TRUE(session.init(page));
        testsupport::runQueue();
        comm.answerConnect();
        testsupport::runQueue();
        comm.answerRead(kLive);
        mark = comm.requests.size();
    }
    /// The invoke id of the last request whose document holds @p text.
    QString lastId(const QString& text) const {
        const auto found = std::find_if(comm.requests.rbegin(), comm.requests.rend(),
                                        [&](const auto& request) { return request.document.contains(text); });
        return found == comm.requests.rend() ? QString() : found->invokeId;
    }
    /// A0..A3/D0..D3 switch forcing on/off, V0=<raw> a committed force value, I2 force invalid;
    /// T and t the ticks of timEnableForce and timCyclic; aE aW aR answers, eW a failed write.
    void run(const QString& word) {
        qt27::ChannelSimulation* editor = page.channelSimulation(word.mid(1, 1).toInt());
        const QString write = "WriteRequest kind=\"outputValues", read = "ReadRequest kind=\"outputValues";
        const QString done = FakeCommunication::readResponseWithoutParts(comm.reference);
        // clang-format off
        const std::map<QString, std::function<void()>> words = {
            {"T", [&] { page.timEnableForce_Timer(); }}, {"t", [&] { page.timCyclic_Timer(); }},
            {"q", [&] { testsupport::runQueue(); }}, {"Abort", [&] { comm.abort(); }},
            {"aE", [&] { comm.answerTransaction(done, lastId("enable")); }},
            {"aW", [&] { comm.answerTransaction(done, lastId(write)); }},
            {"eW", [&] { comm.answerReadError(QStringLiteral("No answer within 20 ms"), lastId(write)); }},
            {"aR", [&] { comm.answerRead(kLive, lastId(read)); }}, {"Disc", [&] { comm.answerDisconnect(); }},
            {"Connect", [&] { page.ctlButtons_PageButton(), run("q"), comm.answerConnect(), run("q"); }},
            {"RefuseT", [&] { comm.refuseNext(Kind::Transaction); }},
            {"RefuseDisc", [&] { comm.refuseNext(Kind::Disconnect); }}, {"Close", [&] { page.ctlButtons_Clos(); }},
            {"Button", [&] { page.ctlButtons_PageButton(); }},
            {"Release", [&] { page.IDtmActiveXControl_PrepareToRelease(); }},
            {"A", [&] { forcing(editor)->setChecked(true); }}, {"D", [&] { forcing(editor)->setChecked(false); }},
            {"I", [&] { child<QCheckBox>(editor, "chkForcedInvalid")->setChecked(true); }},
            {"V", [&] { emit editor->ForceValueChanged(static_cast<qint16>(word.section('=', 1).toInt())); }}};
        // clang-format on
        words.count(word) == 1 ? words.at(word)() : words.at(word.left(1))();
    }
    /// R a read, E an enable, W and the first nine bytes of a write, Connect, Disconnect (! refused).
    QString sent() const {
        QStringList result;
        for (const FakeCommunication::Request& request : comm.requests.mid(mark)) {
            const QString& doc = request.document;
            result << (request.kind == Kind::Connect      ? "Connect"
                       : request.kind == Kind::Disconnect ? "Disconnect"
                       : doc.contains("enable")           ? "E"
                       : doc.contains("Read")             ? "R"
                                                          : "W" + doc.section("byteArray=\"", 1).left(18)) +
                          (request.accepted ? "" : "!");
        }
        return result.join(' ') + (session.dtm.log.filter("UiReleased").isEmpty() ? "" : " UiReleased");
    }
    /// n count, m mask, T enable timer, E/W enable/write outstanding, P pending write, s switches.
    QString state() const {
        int switches = 0;
        for (int index = 0; index < 4; ++index) {
            switches |= forcing(page.channelSimulation(index))->isChecked() ? 1 << index : 0;
        }
        // clang-format off
        return QStringLiteral("n%1 m%2 T%3 E%4 W%5 P%6 s%7")
            .arg(page.forcedChannelCount()).arg(page.forceActiveMask()).arg(page.enableForceTimer()->isActive())
            .arg(!page.enableForceInvokeId().isEmpty()).arg(!page.forceUpdateInvokeId().isEmpty())
            .arg(page.isForceUpdatePending()).arg(switches);
        // clang-format on
    }

    static inline const QByteArray kLive = QByteArray::fromHex("0064006400640064");
    testsupport::PageSession session;
    FakeCommunication& comm = session.comm;
    qt27::Simulation page;
    qsizetype mark = 0;
};

struct ForcingRow {
    const char *script, *sent, *state;
};

// clang-format off
const ForcingRow kForcingRows[] = {
    // The first activation sends the enable and the write at once; a tick waits for the enable.
    {"A0 T aE T", "E W010000000000000000 E", "n1 m1 T1 E1 W1 P0 s1"},
    // Changes during a write: one further write with the last value.
    {"A0 V0=1 V0=2 V0=3 aW", "E W010000000000000000 W010003000000000000", "n1 m1 T1 E1 W1 P0 s1"},
    // Not forcing: changes are stored (nothing sent) and go out with the next activation.
    {"V0=5000 I2 A0", "E W011388000080000000", "n1 m1 T1 E1 W1 P0 s1"},
    // A write answer reads even while paused, and never beside an outstanding read.
    {"Button A0 aE aW q", "E W010000000000000000 R", "n1 m1 T1 E0 W0 P0 s1"},
    {"A0 t q aE aW q", "E W010000000000000000 R", "n1 m1 T1 E0 W0 P0 s1"},
    // An abort with both forcing requests outstanding; the reconnect resumes forcing and the switch.
    {"A0 Abort Connect", "E W010000000000000000 Connect E W010000000000000000 R", "n1 m1 T1 E1 W1 P0 s1"},
    {"A0 Abort Connect aE aW D0", "E W010000000000000000 Connect E W010000000000000000 R W000000000000000000", "n0 m0 T0 E0 W1 P0 s0"},
    // The last deactivation made offline, or under way at the abort, goes out on the reconnect.
    {"A0 aE aW Abort A0 D0 Connect", "E W010000000000000000 Connect W000000000000000000 R", "n0 m0 T0 E0 W1 P0 s0"},
    {"A0 aE aW D0 Abort Connect", "E W010000000000000000 W000000000000000000 Connect W000000000000000000 R", "n0 m0 T0 E0 W1 P0 s0"},
    // A refused write goes out again with the next tick, the last one too (the timer waits for it).
    {"A0 aE aW RefuseT V0=7 T", "E W010000000000000000 W010007000000000000! E W010007000000000000", "n1 m1 T1 E1 W1 P0 s1"},
    {"A0 aE eW T", "E W010000000000000000 E W010000000000000000", "n1 m1 T1 E1 W1 P0 s1"},
    {"A0 A1 aE aW aW D1 D0 RefuseT aW", "E W010000000000000000 W030000000000000000 E W010000000000000000 W000000000000000000!", "n0 m0 T1 E1 W0 P0 s0"},
    {"A0 aE aW RefuseT D0 T", "E W010000000000000000 W000000000000000000! W000000000000000000", "n0 m0 T0 E0 W1 P0 s0"},
    // A refused Disconnect after Close: the page stays online and the enable goes on.
    {"A0 aE aW Close RefuseDisc q", "E W010000000000000000 Disconnect! E", "n1 m1 T1 E1 W0 P0 s1"},
    // Release with forcing requests and a read outstanding; late answers change nothing.
    {"A0 aW Release q Disc aE", "E W010000000000000000 Disconnect UiReleased", "n1 m1 T0 E0 W0 P0 s1"},
    {"A0 t q Release q Disc aW aR", "E W010000000000000000 R Disconnect UiReleased", "n1 m1 T0 E0 W0 P0 s1"},
};
// clang-format on

void PrintTo(const ForcingRow& row, std::ostream* out) {
    *out << row.script;
}

class ForcingTest : public testing::TestWithParam<ForcingRow> {};

TEST_P(ForcingTest, ScriptSendsTheExpectedRequests) {
    Play play;
    for (const QString& word : QString::fromLatin1(GetParam().script).split(' ')) {
        play.run(word);
    }
    EXPECT_EQ(play.sent().trimmed(), QLatin1String(GetParam().sent));
    EXPECT_EQ(play.state(), QLatin1String(GetParam().state));
    EXPECT_EQ(play.page.enableForceTimer()->interval(), 40000);
}

INSTANTIATE_TEST_SUITE_P(Rows, ForcingTest, testing::ValuesIn(kForcingRows));

TEST(ForceTelegramTest, EightWordsHighByteFirstWithTheInvalidBit) {
    const std::array<qint16, 8> values{-800, 32767, 0, 0, 0, 0, 0, 7};
    EXPECT_EQ(qt27::Simulation::ForceTelegram(0x0F, values, 0x83).toHex(),
              "0ffce0ffff" + QByteArray(20, '0') + "8007");
}

}  // namespace
