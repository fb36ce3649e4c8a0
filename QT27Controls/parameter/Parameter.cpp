#include "Parameter.h"

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/AuditTrail.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/parameter/ChannelParameter.h"

namespace qt27 {

namespace {

constexpr int kChannelCount = 4;
// Design positions of the editors, in twips.
constexpr int kEditorLeft = 120;
constexpr int kEditorTop = 600;
constexpr int kEditorWidth = 9360;
constexpr int kEditorHeight = 1740;
constexpr int kEditorGap = 60;
constexpr int kPageWidth = kEditorLeft + kEditorWidth + kEditorLeft;
constexpr int kButtonBarHeight = 600;
constexpr int kPageHeight = kEditorTop + kChannelCount * (kEditorHeight + kEditorGap) + kButtonBarHeight;

quint8 element(const QByteArray& array, int index) {
    if (index < 0 || index >= array.size()) {
        throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    return static_cast<quint8>(array[index]);
}

ChannelParameter* editor(const QList<ChannelParameter*>& editors, int index) {
    if (index < 0 || index >= editors.size()) {
        throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    return editors[index];
}

}  // namespace

Parameter::Parameter(QWidget* parent)
    : PageFrame(ButtonBar | SlotHeader | DataSetLockEvents | ParameterChangedEvents, parent) {
    for (int index = 0; index < kChannelCount; ++index) {
        auto* channel = new ChannelParameter(this);
        channel->setObjectName(QStringLiteral("ctlChannelParameter"));
        channel->setProperty("index", index);
        channel->setGeometry(twipsRect(kEditorLeft, kEditorTop + index * (kEditorHeight + kEditorGap),
                                       kEditorWidth, kEditorHeight));
        channel->setChannelNumber(static_cast<qint16>(index + 1));
        connect(channel, &ChannelParameter::SetDirty, this,
                [this, index](bool dirty) { ctlChannelParameter_SetDirty(index, dirty); });
        connect(channel, &ChannelParameter::RangeChanged, this,
                [this, index](qint16 range) { ctlChannelParameter_RangeChanged(index, range); });
        ctlChannelParameter.append(channel);
    }
    resize(sizeHint());
}

QSize Parameter::sizeHint() const {
    return {twipsToPixels(kPageWidth), twipsToPixels(kPageHeight)};
}

void Parameter::configureChildControls() {
    for (ChannelParameter* channel : ctlChannelParameter) {
        step([&] { channel->setTyp(ModuleTypeNumber(moduleData().ModuleTypeCode)); });
        step([&] { channel->setResourceManager(deviceResourceManager()); });
    }
}

void Parameter::readAllValues() {
    GetAllValues();
}

void Parameter::dataSetChanged() {
    GetAllValues();
}

bool Parameter::HasRangeList() const {
    const QString& code = moduleData().ModuleTypeCode;
    return code == QLatin1String("37") || code == QLatin1String("54");
}

void Parameter::GetAllValues() {
    log(QStringLiteral("GetAllValues"));
    step([&] { buildModuleData(); });
    step([&] { showSlotHeader(moduleData().SlotNumber, moduleData().ModuleTypeName); });
    step([&] {
        QByteArray parameters;
        Required(parameterManager())->ReadParameters(parameters);
        aDataSet = parameters;
    });
    step([&] {
        // An editor whose channel is missing from the list keeps its previous tag.
        forEachChannelTag([&](int number, const QString& tag) {
            editor(ctlChannelParameter, number - 1)->setChannelTag(tag);
        });
    });
    step([&] { RefreshEditors(); });
}

void Parameter::RefreshEditors() {
    const auto logElement = [&](int index) {
        log(QStringLiteral("aDataSet%1:0x%2")
                .arg(index)
                .arg(QString::number(element(aDataSet, index), 16).toUpper()));
    };
    for (int index = 0; index < ctlChannelParameter.size(); ++index) {
        ChannelParameter* channel = ctlChannelParameter[index];
        buildModuleData();
        if (HasRangeList()) {
            channel->setRangeMode(static_cast<qint16>((element(aDataSet, index) >> 2) & 3));
        }
        channel->setFailSafeParameter(element(aDataSet, index));
        channel->setDamping(static_cast<quint8>(element(aDataSet, index) & 3));
        logElement(index);
    }
    logElement(kChannelCount);
}

void Parameter::ctlChannelParameter_SetDirty(int index, bool dirty) {
    step([&] {
        ChannelParameter* channel = editor(ctlChannelParameter, index);
        element(aDataSet, index);
        aDataSet[index] = static_cast<char>((channel->FailSafeParameter() & ~3) | channel->Damping());
    });
    setDirty(dirty);
}

void Parameter::ctlChannelParameter_RangeChanged(int index, qint16 range) {
    step([&] {
        if (HasRangeList()) {
            aDataSet[index] = static_cast<char>((element(aDataSet, index) & 0xF3) | ((range & 3) * 4));
        }
    });
    step([&] { RefreshEditors(); });
    setDirty(true);
}

void Parameter::writeDataSet() {
    ParameterManager* manager = Required(Required(Required(hostDtm())->BaseDtm())->ParameterManager());
    for (int index = 0; index < ctlChannelParameter.size(); ++index) {
        const ChannelParameter* channel = ctlChannelParameter[index];
        element(aDataSet, index);
        aDataSet[index] = static_cast<char>((channel->FailSafeParameter() & ~3) | channel->Damping());
    }
    if (HasRangeList()) {
        for (int index = 0; index < ctlChannelParameter.size(); ++index) {
            const int range = ctlChannelParameter[index]->RangeMode() & 3;
            aDataSet[index] = static_cast<char>((element(aDataSet, index) & 0xF3) | (range * 4));
        }
    }
    reportChangedFields(manager);
    manager->WriteParameters(aDataSet);
    manager->CommitParameters();
}

// Each changed field goes to the audit trail before the data set is committed, so
// a change that counts as done is in the trail even when the frame dies right after.
void Parameter::reportChangedFields(ParameterManager* manager) {
    QByteArray stored;
    if (!IgnoreErrors([&] { manager->ReadParameters(stored); })) {
        return;
    }
    for (int index = 0; index < ctlChannelParameter.size() && index < stored.size(); ++index) {
        const auto changes = ctlChannelParameter[index]->ChangedFields(
            static_cast<quint8>(stored[index]), element(aDataSet, index), HasRangeList());
        for (const auto& change : changes) {
            IgnoreErrors([&] {
                reportChange(baseDtm(), AuditCode::ParameterChanged, {change.field, change.before, change.after},
                             index + 1);
            });
        }
    }
}

void Parameter::setEditorsLocked(bool locked) {
    for (ChannelParameter* channel : ctlChannelParameter) {
        channel->setLocked(locked);
    }
}

}  // namespace qt27
