// The call queue, the invoke-id generator and the document readers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSet>
#include <QVariant>

#include "rmox/Communication/CallQueue.h"
#include "rmox/Communication/DocumentReaders.h"
#include "rmox/Communication/InvokeIdGenerator.h"
#include "rmox/Error.h"

namespace {

class Target : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void CallConnect(const QVariant& vArguments) {
        calls.append(QStringLiteral("CallConnect"));
        arguments.append(vArguments);
    }
    Q_INVOKABLE void CallReadValues(const QVariant& /*vArguments*/) {
        calls.append(QStringLiteral("CallReadValues"));
    }
    void notInvokable(const QVariant& /*vArguments*/) {}

    QStringList calls;
    QVariantList arguments;
};

TEST(CallQueue, RunsTheNamedMethodLaterInOrderWithAMissingArgument) {
    rmox::CallQueue queue;
    Target target;
    const QString first = queue.AddCall(&target, "CallConnect");
    const QString second = queue.AddCall(&target, "CallReadValues");
    EXPECT_NE(first, second);
    EXPECT_TRUE(target.calls.isEmpty()) << "a queued call never runs inside AddCall";

    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(target.calls, (QStringList{QStringLiteral("CallConnect"), QStringLiteral("CallReadValues")}));
    ASSERT_EQ(target.arguments.size(), 1);
    EXPECT_FALSE(target.arguments.first().isValid());
}

TEST(CallQueue, UnknownOrHiddenMethodRaisesAtOnceAndQueuesNothing) {
    rmox::CallQueue queue;
    Target target;
    for (const char* name : {"CallDisconnect", "notInvokable", ""}) {
        try {
            queue.AddCall(&target, name);
            ADD_FAILURE() << "no error for " << name;
        } catch (const rmox::Error& error) {
            EXPECT_EQ(error.number(), rmox::Error::MethodNotSupported) << name;
        }
    }
    EXPECT_THROW(queue.AddCall(nullptr, "CallConnect"), rmox::Error);
    EXPECT_EQ(queue.callCount(), 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(target.calls.isEmpty());
}

TEST(CallQueue, CallToADestroyedTargetIsDroppedOthersStillRun) {
    rmox::CallQueue queue;
    auto gone = std::make_unique<Target>();
    Target alive;
    queue.AddCall(gone.get(), "CallConnect");
    queue.AddCall(&alive, "CallReadValues");
    gone.reset();  // the sanitizer build catches a call that would still reach it
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(alive.calls, QStringList{QStringLiteral("CallReadValues")});
    EXPECT_EQ(queue.callCount(), 2);
}

TEST(InvokeIdGenerator, IdsAreUniqueWithinAndAcrossGenerators) {
    rmox::InvokeIdGenerator first;
    rmox::InvokeIdGenerator second;
    QSet<QString> ids;
    for (int i = 0; i < 500; ++i) {
        ids.insert(first.NewInvokeId());
        ids.insert(second.NewInvokeId());
    }
    EXPECT_EQ(ids.size(), 1000);
    EXPECT_FALSE(ids.contains(QString()));
}

TEST(ModuleDocumentReader, ReadsTheModuleAndRefreshesTheModuleDocument) {
    rmox::ModuleData module;
    QString moduleDocument;
    rmox::ModuleDocumentReader().ReadDocument(
        QStringLiteral("<FDT><DataSet><Module slot=\"7\" typeCode=\"abc\" typeName=\"QT27Ex 4AI\"/>"
                       "<Parameters byteArray=\"00\"/></DataSet></FDT>"),
        module, moduleDocument);
    EXPECT_EQ(module.SlotNumber, 7);
    EXPECT_EQ(module.ModuleTypeCode, QStringLiteral("abc"));
    EXPECT_EQ(module.ModuleTypeName, QStringLiteral("QT27Ex 4AI"));
    EXPECT_TRUE(moduleDocument.startsWith(QStringLiteral("<Module")));
    EXPECT_TRUE(moduleDocument.contains(QStringLiteral("slot=\"7\"")));
}

TEST(ModuleDocumentReader, UnreadableDocumentsRaiseAnErrorThatNamesTheProblemAndChangeNothing) {
    const struct {
        const char* document;
        const char* mentions;
    } cases[] = {
        {"", "empty"},
        {"<FDT><DataSet><Module slot=\"7\"", "not well-formed"},
        {"<FDT><DataSet/></FDT>", "no Module element"},
        {"<FDT><Module typeCode=\"37\"/></FDT>", "no attribute slot"},
        {"<FDT><Module slot=\"seven\"/></FDT>", "not a whole number"},
    };
    for (const auto& example : cases) {
        rmox::ModuleData module;
        module.ModuleTypeCode = QStringLiteral("kept");
        QString moduleDocument = QStringLiteral("kept");
        try {
            rmox::ModuleDocumentReader().ReadDocument(QString::fromLatin1(example.document), module,
                                                      moduleDocument);
            ADD_FAILURE() << "no error for " << example.document;
        } catch (const rmox::Error& error) {
            EXPECT_TRUE(error.description().contains(QLatin1String(example.mentions))) << error.what();
        }
        EXPECT_EQ(module.ModuleTypeCode, QStringLiteral("kept"));
        EXPECT_EQ(moduleDocument, QStringLiteral("kept"));
    }
}

TEST(ChannelAndDtmInformationReaders, ReadWhatTheHostWritesAndReportFailures) {
    rmox::ChannelData channel;
    rmox::ChannelDocumentReader().ReadDocument(
        QStringLiteral("<FDT><Channel number=\"3\" tag=\"TI-103\"/></FDT>"), channel, QString());
    EXPECT_EQ(channel.ChannelNumber, 3);
    EXPECT_EQ(channel.Tag, QStringLiteral("TI-103"));
    EXPECT_THROW(rmox::ChannelDocumentReader().ReadDocument(QStringLiteral("<FDT/>"), channel, QString()),
                 rmox::Error);

    rmox::DtmInformationData information;
    EXPECT_TRUE(rmox::DtmInformationReader().ReadDocument(
        QStringLiteral(
            "<FDT><DtmInformation name=\"n\" revision=\"2.1\"><FdtVersion major=\"1\" minor=\"21\"/>"
            "</DtmInformation></FDT>"),
        information));
    EXPECT_EQ(information.DtmRevision, QStringLiteral("2.1"));
    EXPECT_EQ(information.FdtVersionMinor, 21);
    QString errorText;
    EXPECT_FALSE(rmox::DtmInformationReader().ReadDocument(
        QStringLiteral("<FDT><DtmInformation name=\"n\"/></FDT>"), information, &errorText));
    EXPECT_TRUE(errorText.contains(QStringLiteral("FdtVersion")));
}

}  // namespace

#include "CommunicationComponentsTest.moc"
