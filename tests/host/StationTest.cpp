#include <gtest/gtest.h>

#include <QDir>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "HostTestSupport.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/CommunicationService.h"
#include "QT27Controls/framework/DtmEvents.h"
#include "QT27Controls/framework/FdtChannel.h"
#include "host/BaseDtm.h"
#include "host/MessageService.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/Communication/DocumentReaders.h"
#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

using host::StationProject;
using hosttest::readFile;
using hosttest::writeFile;

namespace {

class StationFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("station.xml"));
        ASSERT_TRUE(station.open(path)) << station.lastError().toStdString();
    }

    host::BaseDtm* base(int slot) { return station.dtmForSlot(slot)->baseDtm(); }
    host::ParameterManager* manager(int slot) { return base(slot)->parameterManager(); }

    // Replaces the file as another program would, keeping the station's view of it stale.
    void editFile(const std::function<void(StationProject&)>& change) {
        StationProject project = StationProject::load(path);
        change(project);
        ASSERT_TRUE(writeFile(path, project.toXml()));
    }

    QTemporaryDir dir;
    QString path;
    host::Station station;
};

}  // namespace

TEST_F(StationFixture, OpenWritesBuiltInStationAndCreatesOneDtmPerModule) {
    EXPECT_EQ(StationProject::load(path), StationProject::builtIn());
    const auto modules = station.modules();
    ASSERT_EQ(modules.size(), StationProject::builtIn().modules.size());
    for (const auto& module : modules) {
        host::QT27Dtm* dtm = station.dtmForSlot(module.slot);
        ASSERT_NE(dtm, nullptr);
        EXPECT_EQ(dtm->slot(), module.slot);
        EXPECT_EQ(dtm->BaseDtm(), dtm->baseDtm());
        EXPECT_EQ(dtm->baseDtm()->ParameterManager(), dtm->baseDtm()->parameterManager());
        EXPECT_EQ(module.tags.size(), 4);
    }
    EXPECT_EQ(station.dtmForSlot(1), nullptr);
}

TEST_F(StationFixture, DataSetDocumentIsReadableByModuleDocumentReader) {
    editFile([](StationProject& project) { project.modules[0].typeCode = QStringLiteral("abc"); });
    ASSERT_TRUE(station.reloadFromDisk());
    for (const auto& module : station.modules()) {
        host::QT27Dtm* dtm = station.dtmForSlot(module.slot);
        const QString document =
            manager(module.slot)->RequestDocument(QStringLiteral("FDT"), dtm->DocumentKey());
        rmox::ModuleData data;
        QString moduleDocument;
        rmox::ModuleDocumentReader().ReadDocument(document, data, moduleDocument);
        EXPECT_EQ(data.SlotNumber, module.slot);
        EXPECT_EQ(data.ModuleTypeCode, module.typeCode);
        EXPECT_EQ(data.ModuleTypeName, module.typeName);
        EXPECT_EQ(moduleDocument, base(module.slot)->ModuleDocument());
        QByteArray parameters;
        EXPECT_TRUE(manager(module.slot)->ReadParameters(parameters));
        EXPECT_TRUE(document.contains(QString::fromLatin1(parameters.toHex().toUpper())));
    }
    EXPECT_EQ(station.modules().first().typeCode, QStringLiteral("abc"));
    EXPECT_THROW(manager(3)->RequestDocument(QStringLiteral("XYZ"), QString()), rmox::Error);
}

TEST_F(StationFixture, ChannelsAnswerWithTheirNumberAndTag) {
    host::QT27Dtm* dtm = station.dtmForSlot(4);
    qt27::FdtChannels* channels = dtm->Channels();
    ASSERT_EQ(channels->Count(), 4);
    const QStringList tags = station.project().module(4)->channelTags;
    for (int position = 1; position <= channels->Count(); ++position) {
        rmox::ChannelData data;
        rmox::ChannelDocumentReader().ReadDocument(
            channels->Item(position)->RequestDocument(QStringLiteral("FDT"), dtm->DocumentKey()), data,
            dtm->baseDtm()->ModuleDocument());
        EXPECT_EQ(data.ChannelNumber, position);
        EXPECT_EQ(data.Tag, tags[position - 1]);
    }
    EXPECT_THROW(channels->Item(0), rmox::Error);
    EXPECT_THROW(channels->Item(5), rmox::Error);
}

TEST_F(StationFixture, BaseDtmAnswersFromTheProject) {
    editFile([](StationProject& project) {
        project.modules[1].stateValue = 3;
        project.modules[1].documentKey = QStringLiteral("KEY-4");
    });
    ASSERT_TRUE(station.reloadFromDisk());
    host::BaseDtm* dtm = base(4);
    EXPECT_EQ(dtm->StateValue(), 3);
    EXPECT_EQ(base(3)->StateValue(), 6);
    EXPECT_EQ(station.dtmForSlot(4)->DocumentKey(), QStringLiteral("KEY-4"));

    rmox::DtmInformationData information;
    QString error;
    ASSERT_TRUE(rmox::DtmInformationReader().ReadDocument(dtm->DtmInformation(), information, &error))
        << error.toStdString();
    EXPECT_EQ(information.DtmName, QStringLiteral("rimox QT27 DTM"));
    EXPECT_FALSE(information.DtmRevision.isEmpty());
    EXPECT_EQ(information.FdtVersionMajor, 1);
    EXPECT_EQ(information.FdtVersionMinor, 2);

    QObject* communication = dtm->CommunicationObject();
    ASSERT_NE(communication, nullptr);
    EXPECT_EQ(communication->property("busAddress").toInt(), 12);
    EXPECT_EQ(communication->property("slot").toInt(), 4);
    EXPECT_NE(dtm->SchemaObject(), nullptr);
}

TEST_F(StationFixture, CommitWritesOnlyTheChangedBytesAndRaisesParameterChanged) {
    const QByteArray before = readFile(path);
    QByteArray parameters;
    manager(5)->ReadParameters(parameters);
    const QByteArray changed = QByteArray::fromHex("5C5C5C5C01");
    ASSERT_NE(parameters, changed);
    QSignalSpy managerSpy(manager(5), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy otherModuleSpy(manager(3), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy errors(base(5), &host::BaseDtm::errorMessage);

    ASSERT_TRUE(manager(5)->WriteParameters(changed));
    EXPECT_EQ(readFile(path), before) << "WriteParameters only stages";
    EXPECT_TRUE(manager(5)->CommitParameters());

    QByteArray expected = before;
    const QByteArray oldAttribute = "byteArray=\"" + parameters.toHex().toUpper() + "\"";
    ASSERT_EQ(expected.count(oldAttribute), 1);
    expected.replace(oldAttribute, "byteArray=\"" + changed.toHex().toUpper() + "\"");
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(managerSpy.count(), 1);
    EXPECT_EQ(otherModuleSpy.count(), 0);
    EXPECT_EQ(errors.count(), 0);
    manager(5)->ReadParameters(parameters);
    EXPECT_EQ(parameters, changed);

    // The same bytes again: nothing to write, nobody to tell.
    ASSERT_TRUE(manager(5)->WriteParameters(changed));
    EXPECT_TRUE(manager(5)->CommitParameters());
    EXPECT_EQ(managerSpy.count(), 1);
    EXPECT_FALSE(manager(5)->WriteParameters(QByteArray()));
}

TEST_F(StationFixture, FailedCommitReportsFileAndReasonAndKeepsChangeForNextWrite) {
    const QByteArray before = readFile(path);
    QSignalSpy errors(base(3), &host::BaseDtm::errorMessage);
    QSignalSpy projectErrors(&station, &host::Station::projectError);
    const QByteArray changed = QByteArray::fromHex("0102030405");

    bool committed = true;
    ASSERT_TRUE(manager(3)->WriteParameters(changed));
    {
        hosttest::FileSizeLimit limit(before.size() / 2);
        committed = manager(3)->CommitParameters();
    }
    EXPECT_FALSE(committed);
    EXPECT_EQ(readFile(path), before);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors[0][0].toString(), manager(3)->SystemTag());
    EXPECT_TRUE(errors[0][1].toString().contains(QDir::toNativeSeparators(path)))
        << errors[0][1].toString().toStdString();
    EXPECT_EQ(projectErrors.count(), 1);
    EXPECT_TRUE(station.hasUnsavedChanges());

    QByteArray parameters;
    manager(3)->ReadParameters(parameters);
    EXPECT_EQ(parameters, changed);
    EXPECT_TRUE(station.save());
    EXPECT_FALSE(station.hasUnsavedChanges());
    EXPECT_EQ(StationProject::load(path).module(3)->parameters, changed);
}

TEST_F(StationFixture, VanishedFolderMakesCommitFailWithTheFileName) {
    QSignalSpy errors(base(3), &host::BaseDtm::errorMessage);
    ASSERT_TRUE(QDir(dir.path()).removeRecursively());
    ASSERT_TRUE(manager(3)->WriteParameters(QByteArray::fromHex("0000000000")));
    EXPECT_FALSE(manager(3)->CommitParameters());
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors[0][1].toString().contains(QDir::toNativeSeparators(path)));
}

TEST_F(StationFixture, CommentAndProductionDataAreStoredAtOnce) {
    manager(4)->SetComment(QStringLiteral("first line\r\nsecond\x01 line"));
    manager(4)->SetStoredQsData(QByteArray::fromHex("A1B2C3"));
    const StationProject onDisk = StationProject::load(path);
    EXPECT_EQ(onDisk.module(4)->comment, QStringLiteral("first line\r\nsecond line"));
    EXPECT_EQ(onDisk.module(4)->qsData, QByteArray::fromHex("A1B2C3"));
    EXPECT_EQ(manager(4)->Comment(), QStringLiteral("first line\r\nsecond line"));
    EXPECT_EQ(manager(4)->StoredQsData(), QByteArray::fromHex("A1B2C3"));
    EXPECT_TRUE(manager(3)->StoredQsData().isEmpty());
}

TEST_F(StationFixture, DataSetLockDecidesHoldsLockAndMayEdit) {
    host::BaseDtm* dtm = base(3);
    QSignalSpy locks(dtm, &qt27::BaseDtm::LockDataSet);
    QSignalSpy unlocks(dtm, &qt27::BaseDtm::UnlockDataSet);
    EXPECT_EQ(dtm->userName(), QStringLiteral("engineer"));
    EXPECT_FALSE(dtm->HoldsLock());
    EXPECT_TRUE(dtm->MayEdit());

    EXPECT_TRUE(dtm->lockDataSetAs(QStringLiteral("engineer")));
    EXPECT_TRUE(dtm->HoldsLock());
    EXPECT_TRUE(dtm->MayEdit());
    EXPECT_FALSE(dtm->lockDataSetAs(QStringLiteral("operator")));
    EXPECT_FALSE(dtm->unlockDataSetAs(QStringLiteral("operator")));
    EXPECT_TRUE(dtm->unlockDataSetAs(QStringLiteral("engineer")));
    EXPECT_FALSE(dtm->HoldsLock());

    EXPECT_TRUE(dtm->lockDataSetAs(QStringLiteral("operator")));
    EXPECT_FALSE(dtm->HoldsLock());
    EXPECT_FALSE(dtm->MayEdit());
    EXPECT_TRUE(dtm->unlockDataSetAs(QStringLiteral("COMPATIBILITY")));
    EXPECT_EQ(dtm->lockOwner(), QStringLiteral("operator"));
    EXPECT_TRUE(base(4)->MayEdit()) << "each module has its own lock";

    const auto names = [](const QSignalSpy& spy) {
        QStringList result;
        for (const QList<QVariant>& arguments : spy) {
            result.append(arguments[0].toString());
        }
        return result;
    };
    EXPECT_EQ(names(locks), QStringList({QStringLiteral("engineer"), QStringLiteral("operator")}));
    EXPECT_EQ(names(unlocks), QStringList({QStringLiteral("engineer"), QStringLiteral("COMPATIBILITY")}));
}

TEST_F(StationFixture, ChangesAreRefusedWhileAnotherUserHoldsTheLock) {
    const QByteArray before = readFile(path);
    QSignalSpy errors(base(3), &host::BaseDtm::errorMessage);
    QSignalSpy changes(manager(3), &qt27::ParameterManager::ParameterChanged);
    ASSERT_TRUE(base(3)->lockDataSetAs(QStringLiteral("operator")));

    manager(3)->WriteParameters(QByteArray::fromHex("FFFFFFFF00"));
    EXPECT_FALSE(manager(3)->CommitParameters());
    manager(3)->SetComment(QStringLiteral("not mine"));
    manager(3)->SetStoredQsData(manager(3)->StoredQsData());  // unchanged: nothing to refuse
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(changes.count(), 0);
    ASSERT_EQ(errors.count(), 2);
    EXPECT_TRUE(errors[0][1].toString().contains(QStringLiteral("operator")));

    station.setUserName(QStringLiteral("operator"));
    EXPECT_TRUE(base(3)->HoldsLock());
    manager(3)->SetComment(QStringLiteral("mine now"));
    EXPECT_EQ(StationProject::load(path).module(3)->comment, QStringLiteral("mine now"));
}

TEST_F(StationFixture, BaseDtmPassesPageCallsOnAsSignals) {
    host::BaseDtm* dtm = base(7);
    QSignalSpy opened(dtm, &host::BaseDtm::uiOpened);
    QSignalSpy closing(dtm, &host::BaseDtm::closeUiRequested);
    QSignalSpy released(dtm, &host::BaseDtm::uiReleased);
    QSignalSpy dataChanged(dtm, &host::BaseDtm::dataChanged);
    QSignalSpy editingEnded(dtm, &host::BaseDtm::editingEnded);
    QSignalSpy errors(dtm, &host::BaseDtm::errorMessage);

    EXPECT_TRUE(dtm->UiOpened(QStringLiteral("INV1")));
    EXPECT_TRUE(dtm->CloseUi(QStringLiteral("INV1")));
    EXPECT_TRUE(dtm->UiReleased(QStringLiteral("INV1")));
    dtm->NotifyDataChanged();
    dtm->EndEditing();
    dtm->DtmEvents()->OnErrorMessage(QStringLiteral("TAG"), QStringLiteral("Transaction failed"));

    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened[0][0].toString(), QStringLiteral("INV1"));
    EXPECT_EQ(closing[0][0].toString(), QStringLiteral("INV1"));
    EXPECT_EQ(released[0][0].toString(), QStringLiteral("INV1"));
    EXPECT_EQ(dataChanged.count(), 1);
    EXPECT_EQ(editingEnded.count(), 1);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors[0][0].toString(), QStringLiteral("TAG"));
    EXPECT_EQ(errors[0][1].toString(), QStringLiteral("Transaction failed"));
}

TEST_F(StationFixture, MessageServiceAsksThroughTheAnswerFunction) {
    QStringList asked;
    base(3)->messageService()->setAnswerFunction([&](const QString& text, const QString& title, int buttons) {
        asked = {text, title, QString::number(buttons)};
        return qt27::MessageService::AnswerNo;
    });
    EXPECT_EQ(base(3)->MessageService()->AskUser(QStringLiteral("Save?"), QStringLiteral("QT27Ex"), 4),
              qt27::MessageService::AnswerNo);
    EXPECT_EQ(asked, QStringList({QStringLiteral("Save?"), QStringLiteral("QT27Ex"), QStringLiteral("4")}));
}

TEST_F(StationFixture, LanguageReachesEveryResourceManager) {
    station.setLanguage(QStringLiteral("de"));
    for (const auto& module : station.modules()) {
        rmox::ResourceManager* resources = base(module.slot)->ResourceManager();
        EXPECT_EQ(resources->Language(), QStringLiteral("de"));
        EXPECT_EQ(resources->ResourceFolder(), qt27::DeviceResourceFolder());
    }
}

namespace {

class NullService : public qt27::CommunicationService {
public:
    bool Connect(QObject*, qt27::IBaseCommunicationCallback*, const QString&, const QString&,
                 const QString&) override {
        return false;
    }
    bool Disconnect(const QString&, qt27::IBaseCommunicationCallback*, const QString&) override {
        return false;
    }
    bool TransactionRequest(const QString&, qt27::IBaseCommunicationCallback*, const QString&,
                            const QString&) override {
        return false;
    }
    bool VerifyConnection(bool) override { return false; }
};

}  // namespace

TEST_F(StationFixture, CommunicationObjectsLeaveTheListWhenDestroyed) {
    host::QT27Dtm* dtm = station.dtmForSlot(3);
    EXPECT_TRUE(dtm->CommunicationObjects().isEmpty());
    auto first = std::make_unique<NullService>();
    NullService second;
    dtm->setCommunicationObjects({first.get(), &second});
    EXPECT_EQ(dtm->CommunicationObjects(), (QList<qt27::CommunicationService*>{first.get(), &second}));
    first.reset();
    EXPECT_EQ(dtm->CommunicationObjects(), QList<qt27::CommunicationService*>{&second});
}

TEST_F(StationFixture, ReloadTellsOnlyTheModulesWhoseDataChanged) {
    QSignalSpy managerChanged3(manager(3), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy baseChanged3(base(3), &qt27::BaseDtm::ParameterChanged);
    QSignalSpy managerChanged4(manager(4), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy baseChanged7(base(7), &qt27::BaseDtm::ParameterChanged);
    QSignalSpy managerChanged5(manager(5), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy modulesChanged(&station, &host::Station::modulesChanged);
    editFile([](StationProject& project) {
        project.module(3)->parameters = QByteArray::fromHex("0000000000");
        project.module(4)->channelTags[2] = QStringLiteral("NEW-TAG");
        project.module(7)->comment = QStringLiteral("edited outside");
    });

    ASSERT_TRUE(station.reloadFromDisk());
    EXPECT_EQ(managerChanged3.count(), 1);
    EXPECT_EQ(baseChanged3.count(), 1);
    EXPECT_EQ(managerChanged4.count(), 1);
    EXPECT_EQ(baseChanged7.count(), 1);
    EXPECT_EQ(managerChanged5.count(), 0);
    EXPECT_EQ(modulesChanged.count(), 0);
    EXPECT_EQ(manager(7)->Comment(), QStringLiteral("edited outside"));

    // After the reload the station writes again.
    manager(5)->SetComment(QStringLiteral("after reload"));
    EXPECT_EQ(StationProject::load(path).module(7)->comment, QStringLiteral("edited outside"));
    EXPECT_EQ(StationProject::load(path).module(5)->comment, QStringLiteral("after reload"));
}

TEST_F(StationFixture, UnreadableFileOnReloadKeepsDataAndIsNeverOverwritten) {
    const QByteArray broken = "<Station busAddress=\"12\"><Module slot=\"3\"";
    ASSERT_TRUE(writeFile(path, broken));
    QSignalSpy projectErrors(&station, &host::Station::projectError);
    QSignalSpy changes(manager(3), &qt27::ParameterManager::ParameterChanged);

    EXPECT_FALSE(station.reloadFromDisk());
    ASSERT_EQ(projectErrors.count(), 1);
    EXPECT_TRUE(projectErrors[0][0].toString().contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(projectErrors[0][0].toString().contains(QStringLiteral("not well-formed")));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(manager(3)->record(), *StationProject::builtIn().module(3));

    manager(3)->WriteParameters(QByteArray::fromHex("1111111111"));
    EXPECT_FALSE(manager(3)->CommitParameters());
    EXPECT_FALSE(station.save());
    EXPECT_EQ(readFile(path), broken);

    // Repaired by hand and reloaded: the station writes again.
    ASSERT_TRUE(StationProject::builtIn().save(path));
    ASSERT_TRUE(station.reloadFromDisk());
    manager(3)->WriteParameters(QByteArray::fromHex("1111111111"));
    EXPECT_TRUE(manager(3)->CommitParameters());
    EXPECT_EQ(StationProject::load(path).module(3)->parameters, QByteArray::fromHex("1111111111"));
}

TEST(StationOpen, UnreadableFileGivesBuiltInStationInMemoryAndStaysUntouched) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    const QByteArray broken = "<Station busAddress=\"12\"><Module typeCode=\"37\"/></Station>";
    ASSERT_TRUE(writeFile(path, broken));
    host::Station station;
    QSignalSpy projectErrors(&station, &host::Station::projectError);

    EXPECT_FALSE(station.open(path));
    ASSERT_EQ(projectErrors.count(), 1);
    EXPECT_TRUE(projectErrors[0][0].toString().contains(QStringLiteral("slot")));
    EXPECT_EQ(station.project(), StationProject::builtIn());
    ASSERT_NE(station.dtmForSlot(3), nullptr);
    station.dtmForSlot(3)->baseDtm()->parameterManager()->SetComment(QStringLiteral("kept in memory"));
    EXPECT_EQ(readFile(path), broken);
    EXPECT_TRUE(station.hasUnsavedChanges());
}

TEST_F(StationFixture, FileChangedByAnotherProgramIsNotOverwritten) {
    editFile([](StationProject& project) { project.stationName = QStringLiteral("edited elsewhere"); });
    const QByteArray edited = readFile(path);
    QSignalSpy errors(base(3), &host::BaseDtm::errorMessage);

    manager(3)->SetComment(QStringLiteral("local change"));
    EXPECT_EQ(readFile(path), edited);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors[0][1].toString().contains(QStringLiteral("changed by someone else")));
    EXPECT_EQ(manager(3)->Comment(), QStringLiteral("local change"));
}

TEST_F(StationFixture, ModulesLeavingAndJoiningTheProjectOnReload) {
    const QPointer<host::QT27Dtm> leaving = station.dtmForSlot(7);
    const QString lastComment = leaving->baseDtm()->parameterManager()->Comment();
    editFile([](StationProject& project) {
        project.modules.removeIf([](const host::ModuleRecord& module) { return module.slot == 7; });
        host::ModuleRecord joined = project.modules.first();
        joined.slot = 12;
        project.modules.append(joined);
    });
    QSignalSpy modulesChanged(&station, &host::Station::modulesChanged);

    ASSERT_TRUE(station.reloadFromDisk());
    EXPECT_EQ(modulesChanged.count(), 1);
    EXPECT_EQ(station.dtmForSlot(7), nullptr);
    ASSERT_NE(station.dtmForSlot(12), nullptr);
    EXPECT_EQ(station.dtmForSlot(12)->baseDtm()->parameterManager()->SystemTag(),
              QStringLiteral("QT27 slot 12 TI-101"));

    // A page still open on the vanished module keeps working on the last data but cannot store.
    ASSERT_FALSE(leaving.isNull());
    host::ParameterManager* orphan = leaving->baseDtm()->parameterManager();
    EXPECT_EQ(orphan->Comment(), lastComment);
    EXPECT_NO_THROW(orphan->RequestDocument(QStringLiteral("FDT"), leaving->DocumentKey()));
    QSignalSpy errors(leaving->baseDtm(), &host::BaseDtm::errorMessage);
    const QByteArray before = readFile(path);
    orphan->SetComment(QStringLiteral("lost?"));
    EXPECT_EQ(errors.count(), 1);
    EXPECT_EQ(readFile(path), before);
}
