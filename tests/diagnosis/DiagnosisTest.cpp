// The diagnosis telegram decoder as one table; the Diagnosis page on the scripted host (start
// state, one reading with its log records, the repeated telegram, the red syntax error) and
// in the frame on the simulated station, with faults set in the station panel.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include "QT27Controls/diagnosis/Diagnosis.h"
#include "QT27Controls/diagnosis/DiagnosisTelegram.h"
#include "frame/PageWindows.h"
#include "frame/StationPanel.h"
#include "support/DebugLogCapture.h"
#include "support/FrameFixture.h"
#include "support/PageSession.h"

namespace {

using qt27::DiagnosisTextFolder;
using testsupport::child;
using testsupport::runQueue;

// Texts as "c<id>" (common folder) or "d<id>" (the configured folder), the heading word
// "Ch"; texts 1051 and 1104 are missing.
QString fakeText(int id, DiagnosisTextFolder folder) {
    return id == 1051 || id == 1104
               ? throw rmox::Error(rmox::Error::InvalidProcedureCall, QStringLiteral("none"))
           : id == 4001 ? QStringLiteral("Ch")
                        : (folder == DiagnosisTextFolder::Common ? "c" : "d") + QString::number(id);
}

// Telegram -> module text / channel text (line breaks |, TAB >) / heading start:length /
// pictures (0 unchanged) / end: ok, order or number (syntax errors, at the start of the red
// lines) or the failure number.
const std::pair<const char*, const char*> kDecoderRows[] = {
    {"002531", "/Ch 1|>Ok||Ch 2|>c1105||Ch 3|>c1101||Ch 4|>Ok|/0:4 11:6 27:6 43:6/400 421 442 403/ok"},
    {"00", "/Ch 1|>Ok||Ch 2|>Ok||Ch 3|>Ok||Ch 4|>Ok|/0:4 11:6 24:6 37:6/400 401 402 403/ok"},
    // Code 0 shows "Ok"; the module line shows the low four bits of an unknown code.
    {"1A204F",
     "c115 0x0A|/Ch 1|>Ok||Ch 2|>Ok||Ch 3|>Ok||Ch 4|>d115 0x0F|/0:4 11:6 24:6 37:6/400 401 402 403/ok"},
    {"022222",
     "c1052|/Ch 1|>Ok||Ch 2|>c1102|>c1102||Ch 3|>Ok||Ch 4|>Ok|/0:4 11:6 35:6 48:6/400 441 402 403/ok"},
    // The flags belong to one channel; an error wins over code 5 in either order.
    {"00162537", "/Ch 1|>c1106||Ch 2|>c1105||Ch 3|>c1128||Ch 4|>Ok|/0:4 14:6 30:6 46:6/440 421 442 403/ok"},
    {"001511373145",
     "/Ch 1|>c1105|>c1101||Ch 2|>Ok||Ch 3|>c1128|>c1101||Ch 4|>c1105|/0:4 22:6 35:6 59:6/440 401 442 423/ok"},
    {"003121",
     "/Ch 1|>Ok||Ch 2|>Ok||Ch 3|>c1101||Syntax error in channel diagnosis telegram:|Channel numbers "
     "must be in ascending order!|/0:4 11:6 24:6 -1:0/400 401 442 0/order 40"},
    {"0051",
     "/|Syntax error in channel diagnosis telegram:|Channel number claims to be 5!|/-1:0 -1:0 -1:0 "
     "-1:0/0 0 0 0/number 0"},
    // Channel 0 names no terminal; an empty telegram shows nothing as in order; a missing
    // text fails the channels, but only skips the module line.
    {"0002", "/>c1102|/-1:0 -1:0 -1:0 -1:0/0 0 0 0/9"},
    {"", "//-1:0 -1:0 -1:0 -1:0/0 0 0 0/9"},
    {"011214", "/Ch 1|>c1102|/0:4 -1:0 -1:0 -1:0/440 0 0 0/5"},
};

TEST(DecoderTest, TelegramsGiveTextsHeadingsPicturesAndEnd) {
    for (const auto& [telegram, expected] : kDecoderRows) {
        const qt27::ModuleDiagnosis shown =
            qt27::DecodeModuleDiagnosis(QByteArray::fromHex(telegram), fakeText);
        QStringList headings, pictures;
        for (int i = 0; i < 4; ++i) {
            headings << QStringLiteral("%1:%2").arg(shown.headingStart[i]).arg(shown.headingLength[i]);
            pictures << QString::number(shown.pictures[i]);
        }
        const char* const kinds[] = {"ok", "order", "number"};
        const QString end =
            shown.failed ? QString::number(shown.failureNumber)
                         : kinds[int(shown.syntaxError)] +
                               (shown.complete() ? "" : QStringLiteral(" %1").arg(shown.syntaxErrorStart));
        EXPECT_EQ(QStringList(
                      {shown.moduleText(), shown.channelText(), headings.join(' '), pictures.join(' '), end})
                      .join('/')
                      .replace("\r\n", "|")
                      .replace('\t', '>'),
                  QLatin1String(expected))
            << telegram;
    }
}

/// The state pictures the eight terminal boxes show, by id; 0 for another or none.
QString pictures(const QWidget* page) {
    QStringList ids;
    for (const QLabel* box : page->findChildren<QLabel*>(QStringLiteral("picTerminal"))) {
        int found = 0;
        for (int id : {400, 401, 402, 403, 404, 405, 406, 407, 420, 421, 422, 423, 440, 441, 442, 443}) {
            const QPixmap picture = rmox::ResourceManager().GetPicture(id, qt27::CommonResourceFolder());
            found = picture.toImage() == box->pixmap().toImage() ? id : found;
        }
        ids << QString::number(found);
    }
    return ids.join(' ');
}

/// The channel text with bold runs as *...* and red runs as !...!, lines ending in |.
QString rendered(const QWidget* page) {
    QString result;
    const QTextDocument* document = child<QTextEdit>(page, "txtChannelDiagnosis")->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), result += '|') {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QString text = format.foreground().color() == Qt::red ? '!' + it.fragment().text() + '!'
                                                                        : it.fragment().text();
            result += format.fontWeight() == QFont::Bold ? '*' + text + '*' : text;
        }
    }
    return result;
}

class DiagnosisPageTest : public testing::Test {
protected:
    /// Answers the outstanding read with @p hex and lets the queued disconnect be answered.
    void answer(const char* hex) {
        session.comm.answerRead(QByteArray::fromHex(hex));
        runQueue();
        session.comm.answerDisconnect();
    }
    /// Reread on an offline page: connect, then the read.
    void reread() { page.ctlButtons_PageButton(), runQueue(), session.comm.answerConnect(), runQueue(); }

    testsupport::PageSession session;
    qt27::Diagnosis page;
};

// Pictures 400 to 407 and empty texts before any answer; Picture1 or Picture2 by type name.
// From connect to disconnect the documented records in their order; headings in bold.
TEST_F(DiagnosisPageTest, StartsEmptyThenOneReadingShowsTheTelegramAndDisconnects) {
    ASSERT_TRUE(session.init(page));
    EXPECT_EQ(pictures(&page), QStringLiteral("400 401 402 403 404 405 406 407"));
    EXPECT_EQ(page.ModuleDiagnosisText() + page.ChannelDiagnosisText(), QString());
    EXPECT_EQ(child<QLabel>(&page, "lblHeader")->text(), QStringLiteral("Diagnosis of slot 07: QT27Ex"));
    for (const char* typeName : {"QT27Ex", "QT271-N 4AI"}) {
        testsupport::PageSession other(testsupport::FakeModule{"54", typeName, 7, {}, {}, {}});
        qt27::Diagnosis shown;
        other.init(shown);
        EXPECT_EQ(child(&shown, "Picture2")->isHidden(), child(&shown, "Picture1")->isVisibleTo(&shown));
        EXPECT_EQ(child(&shown, "Picture1")->isHidden(), QByteArray(typeName).contains("271"));
    }
    testsupport::DebugLogCapture log;
    runQueue(), session.comm.answerConnect(), runQueue();
    answer("002531");
    using Kind = testsupport::FakeCommunication::Kind;
    const QString add = QStringLiteral("|AddChannelDiagnosisText: ");
    EXPECT_EQ(
        log.linesFrom("Diagnosis.").mid(4).join('|').remove("Diagnosis."),
        QStringLiteral("OnConnectResponse: communicationReference: %1|cmdReread_Click: |ReadDiag: "
                       "|OnTransactionResponse: sOnlineInvokeId: %2|ParseModuleDiagnosis: "
                       "|ClearModuleDiagnosisText: |ClearChannelDiagnosisText: ")
                .arg(session.comm.reference, session.comm.last(Kind::Transaction).invokeId) +
            add + "Channel 1" + add + "\tOk" + add + add + "Channel 2" + add +
            "\tWarning: channel simulated" + add + add + "Channel 3" + add + "\tShort circuit" + add + add +
            "Channel 4" + add + "\tOk" +
            QStringLiteral("|ParseModuleDiagnosis: Calling Disconnect|CallDisconnect: sOnlineInvokeId: %1"
                           "|CallDisconnect: actually trying to disconnect|CallDisconnect: "
                           "objBaseDtmCommunication.Disconnect returned true|OnDisconnectResponse: "
                           "sOnlineInvokeId: %1|OnDisconnectResponse: invokeId: %1")
                .arg(session.comm.last(Kind::Disconnect).invokeId));
    EXPECT_EQ(rendered(&page),
              QStringLiteral("*Channel 1*|\tOk||*Channel 2*|\tWarning: channel simulated||*Channel "
                             "3*|\tShort circuit||*Channel 4*|\tOk||"));
    EXPECT_EQ(pictures(&page), QStringLiteral("400 421 442 403 404 405 406 407"));
    EXPECT_FALSE(page.isOnline());
}

// A telegram equal to the last one shown is not drawn again, but disconnects; a connect
// answer without connection shows its error and makes the next telegram show again, as an
// abort does. A syntax error shows in bold red, keeps the pictures not reached and is not
// remembered; channel 0 is reported to the frame.
TEST_F(DiagnosisPageTest, RepeatedTelegramsSyntaxErrorsAndChannelZero) {
    session.init(page);
    runQueue(), session.comm.answerConnect(), runQueue();
    answer("0012");
    testsupport::DebugLogCapture log;
    reread();
    answer("0012");
    EXPECT_EQ(log.linesFrom("Diagnosis.C").filter("Text"), QStringList());
    EXPECT_EQ(session.comm.count(testsupport::FakeCommunication::Kind::Disconnect), 2);
    page.ctlButtons_PageButton(), runQueue();
    session.comm.answerConnect(testsupport::FakeCommunication::ConnectAnswer::NoConnectPart);
    EXPECT_EQ(page.ModuleDiagnosisText() + '/' + page.ChannelDiagnosisText(),
              session.comm.connectErrorText() + "\r\n/");
    reread();
    answer("0012");
    EXPECT_TRUE(page.ChannelDiagnosisText().startsWith("Channel 1\r\n\tOpen line"));
    reread();
    session.comm.abort();
    reread();
    log.clear();
    answer("0012");
    EXPECT_EQ(log.linesFrom("Diagnosis.ClearChannel").size(), 1);
    reread();
    answer("004531");
    for (int reading = 0; reading < 2; ++reading) {
        reread();
        answer("003121");
        EXPECT_EQ(rendered(&page),
                  QStringLiteral(
                      "Channel 1|\tOk||Channel 2|\tOk||Channel 3|\tShort circuit||*!Syntax error in "
                      "channel diagnosis telegram:!*|*!Channel numbers must be in ascending order!!*||"));
        EXPECT_EQ(pictures(&page), QStringLiteral("400 401 442 423 404 405 406 407"));
    }
    reread();
    answer("0002");
    EXPECT_EQ(page.ChannelDiagnosisText(), QStringLiteral("\tOpen line\r\n"));
    ASSERT_EQ(session.dtm.base.events.errors.size(), 3);  // the failed connect, the abort, channel 0
    EXPECT_TRUE(session.dtm.base.events.errors[2].second.contains("channel 0"));
}

// Open line on channel 2 with detection on, cleared by the user, then a module code and a
// raw telegram from the station panel: each reread shows the station's new telegram.
using DiagnosisInFrameTest = testsupport::FrameFixture;

TEST_F(DiagnosisInFrameTest, RereadShowsWhatTheUserChangedAtTheStation) {
    simulation.setOpenLine(3, 1, true);  // channel 2 detects an open line
    window->selectSlot(3);
    auto* page =
        qobject_cast<qt27::Diagnosis*>(frame::pageIn(window->openPage(3, QStringLiteral("Diagnosis"))));
    const auto shows = [&](const QString& text) {
        return QTest::qWaitFor(
            [&] { return !page->isOnline() && page->ChannelDiagnosisText().contains(text); });
    };
    ASSERT_TRUE(shows("Channel 2\r\n\tOpen line\r\n"));
    EXPECT_EQ(pictures(page).section(' ', 1, 1), QStringLiteral("441"));
    simulation.setOpenLine(3, 1, false);
    window->findChild<QComboBox*>(QStringLiteral("cboModuleDiagnosis"))->setCurrentIndex(2);
    page->buttons()->pageButton()->click();
    ASSERT_TRUE(shows("Channel 2\r\n\tOk\r\n"));
    EXPECT_EQ(page->ModuleDiagnosisText(), QStringLiteral("Wrong module in slot\r\n"));
    window->findChild<QLineEdit*>(QStringLiteral("txtRawDiagnosis"))->setText(QStringLiteral("00 31 21"));
    window->findChild<QCheckBox*>(QStringLiteral("chkRawDiagnosis"))->setChecked(true);
    page->buttons()->pageButton()->click();
    ASSERT_TRUE(shows("Syntax error"));
    EXPECT_TRUE(
        rendered(page).endsWith("||*!Syntax error in channel diagnosis telegram:!*|*!Channel numbers must be "
                                "in ascending order!!*||"));
    EXPECT_EQ(frame::parseHexBytes(QStringLiteral("0 3121 F")).value_or("?") +
                  frame::parseHexBytes("003").value_or("?"),
              QByteArray::fromHex("0031210F") + '?');
    EXPECT_TRUE(window->errors().isEmpty()) << window->errors().join('\n').toStdString();
}

}  // namespace
