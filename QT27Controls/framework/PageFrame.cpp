#include "PageFrame.h"

#include <QLabel>
#include <QMessageBox>
#include <QResizeEvent>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/framework/BaseDtm.h"
#include "QT27Controls/framework/FdtChannel.h"
#include "QT27Controls/framework/MessageService.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/QT27Dtm.h"
#include "QT27Controls/framework/Twips.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace qt27 {

namespace {

// Design positions of the header, in twips.
constexpr int kHeaderTop = 120;
constexpr int kHeaderHeight = 285;
constexpr int kSlotLabelLeft = 6960;
constexpr int kSlotLabelWidth = 1500;
constexpr int kSlotNumberLeft = 8520;
constexpr int kSlotNumberWidth = 600;
// lblModuleType ends this far left of lblSlotNumberLabel.
constexpr int kModuleTypeGap = 120;

}  // namespace

PageFrame::PageFrame(Features features, QWidget* parent) : QWidget(parent), m_features(features) {
    // Page creation: the debug switches, then the resource folders.
    ReadDebugSettings(0);
    m_commonFolder = CommonResourceFolder();
    m_deviceFolder = DeviceResourceFolder();

    if (m_features.testFlag(SlotHeader)) {
        lblSlotNumberLabel = new QLabel(QStringLiteral("slot number"), this);
        lblSlotNumberLabel->setObjectName(QStringLiteral("lblSlotNumberLabel"));
        lblSlotNumberLabel->setGeometry(
            twipsRect(kSlotLabelLeft, kHeaderTop, kSlotLabelWidth, kHeaderHeight));
        lblSlotNumber = new QLabel(QStringLiteral("00"), this);
        lblSlotNumber->setObjectName(QStringLiteral("lblSlotNumber"));
        lblSlotNumber->setGeometry(twipsRect(kSlotNumberLeft, kHeaderTop, kSlotNumberWidth, kHeaderHeight));
        QFont bold = lblSlotNumber->font();
        bold.setBold(true);
        lblSlotNumber->setFont(bold);
        lblModuleType = new QLabel(QStringLiteral("QT27"), this);
        lblModuleType->setObjectName(QStringLiteral("lblModuleType"));
        lblModuleType->setFont(bold);
        lblModuleType->setGeometry(
            twipsRect(kSlotLabelLeft - 1200 - kModuleTypeGap, kHeaderTop, 1200, kHeaderHeight));
    }
    if (m_features.testFlag(ButtonBar)) {
        ctlButtons = new rmox::ButtonControl(this);
        ctlButtons->setObjectName(QStringLiteral("ctlButtons"));
        connect(ctlButtons, &rmox::ButtonControl::Apply, this, &PageFrame::ctlButtons_Apply);
        connect(ctlButtons, &rmox::ButtonControl::Cancel, this, &PageFrame::ctlButtons_Cancel);
        connect(ctlButtons, &rmox::ButtonControl::Ok, this, &PageFrame::ctlButtons_Ok);
        connect(ctlButtons, &rmox::ButtonControl::Help, this, &PageFrame::ctlButtons_Help);
        connect(ctlButtons, &rmox::ButtonControl::Clos, this, &PageFrame::ctlButtons_Clos);
        connect(ctlButtons, &rmox::ButtonControl::PageButton, this, &PageFrame::ctlButtons_PageButton);
    }
}

PageFrame::~PageFrame() = default;

QString PageFrame::className() const {
    QString name = QString::fromLatin1(metaObject()->className());
    const qsizetype colon = name.lastIndexOf(QLatin1String("::"));
    return colon < 0 ? name : name.mid(colon + 2);
}

void PageFrame::log(const QString& message) const {
    WriteDebugLog(className(), message);
}

void PageFrame::log(const QString& suffix, const QString& message) const {
    WriteDebugLog(className() + suffix, message);
}

bool PageFrame::step(const std::function<void()>& step) const {
    return LogAndContinue(className(), step);
}

bool PageFrame::IDtmActiveXControl_Init(const QString& invokeID, const QString& functionCall, QT27Dtm* dtm) {
    log(QStringLiteral("IDtmActiveXControl_Init"));
    step([&] { m_objDtm = Required(dtm); });
    step([&] { attachBaseDtm(Required(m_objDtm.data())->BaseDtm()); });
    step([&] { attachParameterManager(Required(m_objBaseDtm.data())->ParameterManager()); });
    step([&] { attachServices(); });
    step([&] { buildModuleData(); });
    log(QStringLiteral(".IDtmActiveXControl_Init"), QString());
    step([&] { createResourceManagers(); });
    step([&] { configureChildControls(); });
    if (lblSlotNumberLabel != nullptr) {
        step([&] { lblSlotNumberLabel->setText(commonText(6002)); });
    }
    step([&] {
        if (!Required(m_objBaseDtm.data())->MayEdit()) {
            lockPage();
        }
    });
    step([&] { readAllValues(); });
    m_sInvokeId = invokeID;
    m_functionCall = functionCall;
    step([&] { configureButtonBar(); });
    step([&] { afterButtonsConfigured(); });
    step([&] { beforeUiOpened(); });
    step([&] { Required(m_objBaseDtm.data())->UiOpened(m_sInvokeId); });
    log(QStringLiteral(": IDtmActiveXControl_Init"), QStringLiteral("finished"));
    return true;
}

void PageFrame::attachBaseDtm(BaseDtm* baseDtm) {
    m_objBaseDtm = Required(baseDtm);
    if (m_features.testFlag(DataSetLockEvents)) {
        connect(baseDtm, &BaseDtm::LockDataSet, this, &PageFrame::m_objBaseDtm_LockDataSet,
                Qt::UniqueConnection);
        connect(baseDtm, &BaseDtm::UnlockDataSet, this, &PageFrame::m_objBaseDtm_UnlockDataSet,
                Qt::UniqueConnection);
    }
    if (m_features.testFlag(ParameterChangedEvents)) {
        connect(baseDtm, &BaseDtm::ParameterChanged, this, &PageFrame::m_objBaseDtm_ParameterChanged,
                Qt::UniqueConnection);
    }
    m_sModuleDocument = baseDtm->ModuleDocument();
}

void PageFrame::attachParameterManager(ParameterManager* manager) {
    m_objParameterManager = Required(manager);
    if (m_features.testFlag(ParameterChangedEvents)) {
        connect(manager, &ParameterManager::ParameterChanged, this,
                &PageFrame::m_objParameterManager_ParameterChanged, Qt::UniqueConnection);
    }
}

void PageFrame::buildModuleData() {
    QT27Dtm* dtm = Required(m_objDtm.data());
    const QString document =
        Required(m_objParameterManager.data())->RequestDocument(QStringLiteral("FDT"), dtm->DocumentKey());
    rmox::ModuleDocumentReader reader;
    reader.ReadDocument(document, m_moduleData, m_sModuleDocument);
}

void PageFrame::createResourceManagers() {
    rmox::ResourceManager* source = Required(Required(m_objBaseDtm.data())->ResourceManager());
    delete m_commonResources;
    delete m_deviceResources;
    m_commonResources = new rmox::ResourceManager(this);
    m_commonResources->ConfigureFrom(*source);
    m_deviceResources = new rmox::ResourceManager(this);
    m_deviceResources->ConfigureFrom(*source);
}

QString PageFrame::commonText(int id) const {
    return Required(m_commonResources)->GetString(id, m_commonFolder);
}

QString PageFrame::deviceText(int id) const {
    return Required(m_deviceResources)->GetString(id, m_deviceFolder);
}

void PageFrame::readAllValues() {
    step([&] { buildModuleData(); });
    showSlotHeader(m_moduleData.SlotNumber, m_moduleData.ModuleTypeName);
}

void PageFrame::forEachChannelTag(const std::function<void(int number, const QString& tag)>& visit) {
    QT27Dtm* dtm = Required(m_objDtm.data());
    FdtChannels* channels = Required(dtm->Channels());
    const QString documentKey = dtm->DocumentKey();
    for (int position = 1; position <= channels->Count(); ++position) {
        step([&] {
            const QString document =
                Required(channels->Item(position))->RequestDocument(QStringLiteral("FDT"), documentKey);
            rmox::ChannelData channel;
            rmox::ChannelDocumentReader reader;
            reader.ReadDocument(document, channel, m_sModuleDocument);
            visit(channel.ChannelNumber, channel.Tag);
        });
    }
}

void PageFrame::showSlotHeader(int slotNumber, const QString& moduleTypeName) {
    if (lblSlotNumber == nullptr || lblModuleType == nullptr || lblSlotNumberLabel == nullptr) {
        return;
    }
    lblSlotNumber->setText(QStringLiteral("%1").arg(slotNumber, 2, 10, QLatin1Char('0')));
    lblModuleType->setText(moduleTypeName + QStringLiteral(": "));
    const int width = lblModuleType->sizeHint().width();
    lblModuleType->resize(width, lblModuleType->height());
    lblModuleType->move(lblSlotNumberLabel->x() - width - twipsToPixels(kModuleTypeGap), lblModuleType->y());
}

void PageFrame::configureButtonBar() {
    if (ctlButtons == nullptr) {
        return;
    }
    ctlButtons->setResourceManager(Required(m_objBaseDtm.data())->ResourceManager());
    ctlButtons->SetSize(pixelsToTwips(height()), pixelsToTwips(width()));
    const ButtonSet set = buttonSet();
    ctlButtons->SetButtons(set.ok, set.cancel, set.apply, set.close);
    ctlButtons->DisableApply();
    ctlButtons->setStatusText(QString());
    layoutButtonBar();
}

void PageFrame::setDirty(bool dirty) {
    m_dirty = dirty;
    if (ctlButtons == nullptr) {
        return;
    }
    if (dirty) {
        ctlButtons->EnableApply();
    } else {
        ctlButtons->DisableApply();
    }
}

void PageFrame::lockPage() {
    m_locked = true;
    if (ctlButtons != nullptr) {
        ctlButtons->DisableOk();
        ctlButtons->DisableApply();
    }
    setEditorsLocked(true);
}

void PageFrame::unlockPage() {
    m_locked = false;
    if (ctlButtons != nullptr) {
        ctlButtons->EnableOk();
        ctlButtons->EnableApply();
    }
    setEditorsLocked(false);
}

void PageFrame::m_objBaseDtm_LockDataSet(const QString& userName) {
    step([&] {
        if (ctlButtons != nullptr) {
            ctlButtons->setStatusText(commonText(6001) + QStringLiteral(" ") + userName);
        }
    });
    step([&] {
        if (Required(m_objBaseDtm.data())->HoldsLock()) {
            unlockPage();
        } else {
            lockPage();
        }
    });
}

void PageFrame::m_objBaseDtm_UnlockDataSet(const QString& userName) {
    // The compatibility layer of the frame unlocks on behalf of old DTMs; the page
    // keeps its state then.
    if (userName == QLatin1String("COMPATIBILITY")) {
        return;
    }
    step([&] {
        if (ctlButtons != nullptr) {
            ctlButtons->setStatusText(QString());
        }
        lockPage();
    });
}

void PageFrame::m_objBaseDtm_ParameterChanged() {
    step([&] { dataSetChanged(); });
}

void PageFrame::m_objParameterManager_ParameterChanged() {
    step([&] { dataSetChanged(); });
}

void PageFrame::applyReaction() {
    if (!m_dirty) {
        return;
    }
    if (ctlButtons != nullptr) {
        ctlButtons->setStatusText(QString());
    }
    writeDataSet();
    setDirty(false);
}

void PageFrame::ctlButtons_Apply() {
    // The write path reports nothing itself; an error must not leave the button
    // bar's event unhandled, so it goes to the debug log.
    step([&] { applyReaction(); });
}

void PageFrame::ctlButtons_Cancel() {
    setDirty(false);
    closeReaction();
}

void PageFrame::ctlButtons_Ok() {
    step([&] { applyReaction(); });
    closeReaction();
}

void PageFrame::ctlButtons_Help() {
    // Help errors are the user's to see: they are not swallowed by the page.
    try {
        m_helpWindowHandle = HelpUtilities::ShowHelp(this, helpContextId());
    } catch (const rmox::Error& error) {
        QMessageBox::warning(this, className(), error.description());
    }
}

void PageFrame::ctlButtons_Clos() {
    closeReaction();
}

void PageFrame::ctlButtons_PageButton() {
    pageButtonReaction();
}

void PageFrame::closeReaction() {
    step([&] { Required(m_objBaseDtm.data())->CloseUi(m_sInvokeId); });
}

void PageFrame::closeHelpWindows() {
    if (m_helpWindowHandle != 0) {
        IgnoreErrors([] { HelpUtilities::CloseAllHelp(); });
    }
}

bool PageFrame::IDtmActiveXControl_PrepareToRelease() {
    closeHelpWindows();
    if (m_dirty) {
        IgnoreErrors([&] {
            MessageService* messages = Required(Required(m_objBaseDtm.data())->MessageService());
            const int answer = messages->AskUser(commonText(6501), m_moduleData.ModuleTypeName,
                                                 MessageService::ButtonsYesNo);
            if (answer == MessageService::AnswerYes) {
                applyReaction();
            }
        });
    }
    releaseNow(true);
    return true;
}

void PageFrame::releaseNow(bool endEditing) {
    if (endEditing) {
        IgnoreErrors([&] { Required(m_objBaseDtm.data())->EndEditing(); });
    }
    IgnoreErrors([&] { Required(m_objBaseDtm.data())->UiReleased(m_sInvokeId); });
    m_released = true;
    dropHostReferences();
}

void PageFrame::dropHostReferences() {
    if (m_objBaseDtm) {
        disconnect(m_objBaseDtm, nullptr, this, nullptr);
    }
    if (m_objParameterManager) {
        disconnect(m_objParameterManager, nullptr, this, nullptr);
    }
    m_objDtm.clear();
    m_objBaseDtm.clear();
    m_objParameterManager.clear();
    m_sModuleDocument.clear();
}

void PageFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutButtonBar();
}

void PageFrame::layoutButtonBar() {
    // The button bar spans the bottom edge; every other element keeps its design position.
    if (ctlButtons != nullptr) {
        const int barHeight = ctlButtons->height();
        ctlButtons->setGeometry(0, height() - barHeight, width(), barHeight);
        ctlButtons->raise();
    }
}

}  // namespace qt27
