#include "ChannelParameter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <optional>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/Twips.h"
#include "rmox/Error.h"

namespace qt27 {

namespace {

// Bits of the channel parameter byte.
constexpr quint8 kFailsafeMask = 0x30;
constexpr int kFailsafeShift = 4;
constexpr quint8 kOpenLineOff = 0x40;
constexpr quint8 kShortOff = 0x80;

constexpr int kFailsafeEntries = 3;

const char* const kRangesType37[] = {"0..10 V", "2..10 V", "0..20 mA", "4..20 mA"};
const char* const kRangesType54[] = {"0..10 V", "2..10 V", "0..5 V", "1..5 V"};

// Design size of the control and positions of its elements (Left, Top, Width,
// Height in twips). The inner layout is fixed; only fraChannelParameter follows
// the control's size. Labels leave room for the German texts.
constexpr int kDesignWidth = 9360;
constexpr int kDesignHeight = 1740;

struct Placement {
    int left, top, width, height;
    QRect rect() const { return twipsRect(left, top, width, height); }
};

constexpr Placement kFraInput{120, 330, 3150, 1290};
constexpr Placement kLblRange{120, 300, 1290, 390};
constexpr Placement kCboRange{1470, 300, 1560, 390};
constexpr Placement kLblDamping{120, 750, 1290, 390};
constexpr Placement kCboDamping{1470, 750, 1560, 390};
constexpr Placement kFraMonitoring{3390, 330, 5850, 1290};
constexpr Placement kLblOpenLineDetection{120, 300, 2340, 390};
constexpr Placement kChkOpenLineDetection{2520, 300, 330, 390};
constexpr Placement kLblShortDetection{120, 750, 2340, 390};
constexpr Placement kChkShortDetection{2520, 750, 330, 390};
constexpr Placement kLblFailsafeValue{2970, 300, 2760, 390};
constexpr Placement kCboFailsafeValue{2970, 750, 2760, 390};

// Texts from the resource folders.
constexpr int kIdChannel = 6003;
constexpr int kIdMonitoring = 6005;
constexpr int kIdOpenLineDetection = 6007;
constexpr int kIdShortDetection = 6008;
constexpr int kIdLastValidValue = 6009;
constexpr int kIdFailsafeValue = 6010;
constexpr int kIdDampingOff = 6014;
constexpr int kIdMinValue = 6018;
constexpr int kIdMaxValue = 6019;
constexpr int kIdInput = 1001;
constexpr int kIdRange = 1002;
constexpr int kIdDamping = 1003;

QLabel* CreateLabel(QWidget* parent, const char* name, const QString& text, const Placement& placement) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(placement.rect());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QComboBox* CreateList(QWidget* parent, const char* name, const Placement& placement) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(placement.rect());
    return list;
}

QCheckBox* CreateCheckBox(QWidget* parent, const char* name, const Placement& placement) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(placement.rect());
    return box;
}

QGroupBox* CreateFrame(QWidget* parent, const char* name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

}  // namespace

// Sets the updating flag for one programmatic change and restores it afterwards, so
// that the element handlers the change triggers stay silent.
class ChannelParameter::UpdatingScope {
public:
    explicit UpdatingScope(ChannelParameter& control)
        : m_control(control), m_previous(control.m_blnUpdating) {
        m_control.m_blnUpdating = true;
    }
    ~UpdatingScope() { m_control.m_blnUpdating = m_previous; }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

private:
    ChannelParameter& m_control;
    bool m_previous;
};

ChannelParameter::ChannelParameter(QWidget* parent) : QWidget(parent) {
    m_sCommonResourceFolder = CommonResourceFolder();
    m_sDeviceResourceFolder = DeviceResourceFolder();

    CreateElements();
    RefreshCaption();
    {
        UpdatingScope updating(*this);
        for (const char* text : kRangesType37) {
            cboRange->addItem(QLatin1String(text));
        }
        cboRange->setCurrentIndex(3);
        m_nRangeMode = 3;
        for (const char* text : {"off", "100 ms", "2.6 s", "29.2 s"}) {
            cboDamping->addItem(QLatin1String(text));
        }
        cboDamping->setCurrentIndex(0);
        for (const char* text :
             {"IDS_DATASET_MIN_VALUE", "IDS_DATASET_MAX_VALUE", "IDS_DATASET_LAST_VALID_VALUE"}) {
            cboFailsafeValue->addItem(QLatin1String(text));
        }
        cboFailsafeValue->setCurrentIndex(0);
        // The boxes show the byte the editor starts with (0: both detections on), so
        // that the first click on a box changes its bit.
        chkOpenLineDetection->setChecked(true);
        chkShortDetection->setChecked(true);
    }

    // The user's changes arrive through the selection and check signals; the
    // setters' own changes arrive there too and are held back by the updating flag.
    connect(cboRange, &QComboBox::currentIndexChanged, this, &ChannelParameter::cboRange_Click);
    connect(cboDamping, &QComboBox::currentIndexChanged, this, &ChannelParameter::cboDamping_Click);
    connect(cboFailsafeValue, &QComboBox::currentIndexChanged, this,
            &ChannelParameter::cboFailsafeValue_Click);
    connect(chkOpenLineDetection, &QCheckBox::toggled, this, &ChannelParameter::chkOpenLineDetection_Click);
    connect(chkShortDetection, &QCheckBox::toggled, this, &ChannelParameter::chkShortDetection_Click);

    // The caption is bold while the focus is anywhere inside the control.
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget* /*old*/, QWidget* now) { FocusChanged(now); });

    resize(sizeHint());
    fraChannelParameter->setGeometry(rect());
}

// Deleting the elements moves the focus away from a focused one; by then this
// object is only a QWidget, so it must not hear of that change.
ChannelParameter::~ChannelParameter() {
    disconnect(m_focusConnection);
}

void ChannelParameter::CreateElements() {
    fraChannelParameter = CreateFrame(this, "fraChannelParameter", QString());

    fraInput = CreateFrame(fraChannelParameter, "fraInput", QStringLiteral("Input"));
    fraInput->setGeometry(kFraInput.rect());
    lblRange = CreateLabel(fraInput, "lblRange", QStringLiteral("Range"), kLblRange);
    cboRange = CreateList(fraInput, "cboRange", kCboRange);
    lblDamping = CreateLabel(fraInput, "lblDamping", QStringLiteral("Damping"), kLblDamping);
    cboDamping = CreateList(fraInput, "cboDamping", kCboDamping);
    lblRange->setBuddy(cboRange);
    lblDamping->setBuddy(cboDamping);

    fraMonitoring = CreateFrame(fraChannelParameter, "fraMonitoring",
                                QStringLiteral("line monitoring and failsafe strategy"));
    fraMonitoring->setGeometry(kFraMonitoring.rect());
    lblOpenLineDetection = CreateLabel(fraMonitoring, "lblOpenLineDetection",
                                       QStringLiteral("open line detection"), kLblOpenLineDetection);
    chkOpenLineDetection = CreateCheckBox(fraMonitoring, "chkOpenLineDetection", kChkOpenLineDetection);
    lblShortDetection = CreateLabel(fraMonitoring, "lblShortDetection", QStringLiteral("short detection"),
                                    kLblShortDetection);
    chkShortDetection = CreateCheckBox(fraMonitoring, "chkShortDetection", kChkShortDetection);
    lblFailsafeValue =
        CreateLabel(fraMonitoring, "lblFailsafeValue", QStringLiteral("failsafe value"), kLblFailsafeValue);
    cboFailsafeValue = CreateList(fraMonitoring, "cboFailsafeValue", kCboFailsafeValue);
    lblOpenLineDetection->setBuddy(chkOpenLineDetection);
    lblShortDetection->setBuddy(chkShortDetection);
    lblFailsafeValue->setBuddy(cboFailsafeValue);

    // Only the caption of the outer frame turns bold; the inner frames keep their
    // own weight so that the bold font does not spread to their contents.
    QFont normalWeight;
    normalWeight.setWeight(QFont::Normal);
    fraInput->setFont(normalWeight);
    fraMonitoring->setFont(normalWeight);

    for (QWidget* watched : {static_cast<QWidget*>(fraChannelParameter), static_cast<QWidget*>(fraInput),
                             static_cast<QWidget*>(fraMonitoring), static_cast<QWidget*>(lblDamping)}) {
        watched->installEventFilter(this);
    }
}

void ChannelParameter::SetResourceFolders(const QString& commonFolder, const QString& deviceFolder) {
    m_sCommonResourceFolder = commonFolder;
    m_sDeviceResourceFolder = deviceFolder;
}

QSize ChannelParameter::sizeHint() const {
    return {twipsToPixels(kDesignWidth), twipsToPixels(kDesignHeight)};
}

QString ChannelParameter::InvalidFailsafeText() {
    return QStringLiteral("-/-");
}

QList<ChannelParameter::FieldChange> ChannelParameter::ChangedFields(quint8 before, quint8 after,
                                                                      bool withRange) const {
    const auto failsafeText = [this](quint8 parameter) {
        const int selection = (parameter & kFailsafeMask) >> kFailsafeShift;
        return selection < kFailsafeEntries ? cboFailsafeValue->itemText(selection) : InvalidFailsafeText();
    };
    const auto switchText = [](quint8 parameter, quint8 offBit) {
        return (parameter & offBit) == 0 ? QStringLiteral("on") : QStringLiteral("off");
    };
    QList<FieldChange> changes;
    const auto add = [&](const QString& field, const QString& old, const QString& now) {
        if (old != now) {
            changes.append({field, old, now});
        }
    };
    if (withRange && ((before ^ after) & 0x0C) != 0) {
        add(QStringLiteral("range"), cboRange->itemText((before >> 2) & 3), cboRange->itemText((after >> 2) & 3));
    }
    if (((before ^ after) & 3) != 0) {
        add(QStringLiteral("damping"), cboDamping->itemText(before & 3), cboDamping->itemText(after & 3));
    }
    if (((before ^ after) & kFailsafeMask) != 0) {
        add(QStringLiteral("failsafe"), failsafeText(before), failsafeText(after));
    }
    add(QStringLiteral("openLine"), switchText(before, kOpenLineOff), switchText(after, kOpenLineOff));
    add(QStringLiteral("shortCircuit"), switchText(before, kShortOff), switchText(after, kShortOff));
    return changes;
}

// ---------------------------------------------------------------------------
// Properties

void ChannelParameter::setTyp(qint16 typ) {
    if (typ < 0 || typ > 0xFF) {
        throw rmox::Error(rmox::Error::Overflow, QStringLiteral("Overflow"));
    }
    m_bytModuleType = static_cast<quint8>(typ);
    if (typ != 37 && typ != 54) {
        return;
    }
    // The page sets the type before it has read its parameters, so this selection
    // is not a user range change and raises no RangeChanged.
    // The range mode follows the selection, so that RangeMode always names the
    // range the user sees.
    UpdatingScope updating(*this);
    SetRangeTexts(typ == 37 ? kRangesType37 : kRangesType54);
    cboRange->setCurrentIndex(3);
    m_nRangeMode = 3;
}

void ChannelParameter::SetRangeTexts(const char* const* texts) {
    for (int index = 0; index < cboRange->count() && index < 4; ++index) {
        cboRange->setItemText(index, QLatin1String(texts[index]));
    }
}

void ChannelParameter::setChannelNumber(qint16 number) {
    m_nChannelNumber = number;
    RefreshCaption();
}

void ChannelParameter::setChannelTag(const QString& tag) {
    m_sChannelTag = tag;
    RefreshCaption();
}

void ChannelParameter::setResourceManager(rmox::ResourceManager* manager) {
    m_objCommonResourceManager = manager;
    delete m_objDeviceResourceManager;
    m_objDeviceResourceManager = nullptr;
    m_sChannelText.clear();
    if (manager == nullptr) {
        RefreshCaption();
        return;
    }
    m_objDeviceResourceManager = new rmox::ResourceManager(this);
    m_objDeviceResourceManager->ConfigureFrom(*manager);

    // Each text is looked up on its own: a text missing from a resource file keeps
    // the element's current text and does not stop the others from loading, so the
    // editor is never left half translated. The first error is raised once all
    // texts and the caption are done, for the page to log.
    std::optional<rmox::Error> firstError;
    const auto load = [&](const rmox::ResourceManager& source, int id, const QString& folder, auto apply) {
        try {
            apply(source.GetString(id, folder));
        } catch (const rmox::Error& error) {
            if (!firstError) {
                firstError = error;
            }
        }
    };
    const rmox::ResourceManager& common = *manager;
    const rmox::ResourceManager& device = *m_objDeviceResourceManager;
    const QString& commonFolder = m_sCommonResourceFolder;
    const QString& deviceFolder = m_sDeviceResourceFolder;
    {
        UpdatingScope updating(*this);
        load(common, kIdChannel, commonFolder, [this](const QString& text) { m_sChannelText = text; });
        load(common, kIdMonitoring, commonFolder,
             [this](const QString& text) { fraMonitoring->setTitle(text); });
        load(common, kIdShortDetection, commonFolder,
             [this](const QString& text) { lblShortDetection->setText(text); });
        load(common, kIdOpenLineDetection, commonFolder,
             [this](const QString& text) { lblOpenLineDetection->setText(text); });
        load(common, kIdFailsafeValue, commonFolder,
             [this](const QString& text) { lblFailsafeValue->setText(text); });
        load(common, kIdDampingOff, commonFolder,
             [this](const QString& text) { cboDamping->setItemText(0, text); });
        load(common, kIdMinValue, commonFolder,
             [this](const QString& text) { cboFailsafeValue->setItemText(0, text); });
        load(common, kIdMaxValue, commonFolder,
             [this](const QString& text) { cboFailsafeValue->setItemText(1, text); });
        load(common, kIdLastValidValue, commonFolder,
             [this](const QString& text) { cboFailsafeValue->setItemText(2, text); });
        load(device, kIdInput, deviceFolder, [this](const QString& text) { fraInput->setTitle(text); });
        load(device, kIdRange, deviceFolder, [this](const QString& text) { lblRange->setText(text); });
        load(device, kIdDamping, deviceFolder, [this](const QString& text) { lblDamping->setText(text); });
    }
    RefreshCaption();
    if (firstError) {
        throw *firstError;
    }
}

void ChannelParameter::setFailSafeParameter(quint8 parameter) {
    UpdatingScope updating(*this);
    m_bytFailSafeParameter = parameter;
    chkShortDetection->setChecked((parameter & kShortOff) == 0);
    chkOpenLineDetection->setChecked((parameter & kOpenLineOff) == 0);
    ShowFailsafeSelection((parameter & kFailsafeMask) >> kFailsafeShift);
}

// Failsafe selection 3 has no entry of its own. It is shown by an extra entry
// "-/-" so that the user sees the stored value is none of the three; the byte keeps
// its bits until the user picks a real entry, and the extra entry goes away then.
void ChannelParameter::ShowFailsafeSelection(int selection) {
    if (selection < kFailsafeEntries) {
        RemoveInvalidFailsafeEntry();
        cboFailsafeValue->setCurrentIndex(selection);
        return;
    }
    if (cboFailsafeValue->count() == kFailsafeEntries) {
        cboFailsafeValue->addItem(InvalidFailsafeText());
    }
    cboFailsafeValue->setCurrentIndex(kFailsafeEntries);
}

void ChannelParameter::RemoveInvalidFailsafeEntry() {
    UpdatingScope updating(*this);
    while (cboFailsafeValue->count() > kFailsafeEntries) {
        cboFailsafeValue->removeItem(cboFailsafeValue->count() - 1);
    }
}

void ChannelParameter::setRangeMode(qint16 rangeMode) {
    UpdatingScope updating(*this);
    m_nRangeMode = rangeMode;
    // An index without an entry leaves the list without a selection.
    cboRange->setCurrentIndex(rangeMode);
}

void ChannelParameter::setDamping(quint8 damping) {
    UpdatingScope updating(*this);
    m_bytDamping = damping;
    cboDamping->setCurrentIndex(damping & 3);
}

void ChannelParameter::setLocked(bool locked) {
    m_blnLocked = locked;
    for (QWidget* editor :
         {static_cast<QWidget*>(cboRange), static_cast<QWidget*>(cboDamping),
          static_cast<QWidget*>(chkOpenLineDetection), static_cast<QWidget*>(chkShortDetection),
          static_cast<QWidget*>(cboFailsafeValue)}) {
        editor->setEnabled(!locked);
    }
}

// ---------------------------------------------------------------------------
// User edits

void ChannelParameter::cboRange_Click(int index) {
    if (m_blnUpdating || index < 0) {
        return;
    }
    m_nRangeMode = static_cast<qint16>(index);
    emit RangeChanged(m_nRangeMode);
}

void ChannelParameter::cboDamping_Click(int index) {
    if (m_blnUpdating || index < 0) {
        return;
    }
    m_bytDamping = static_cast<quint8>(index);
    emit SetDirty(true);
}

void ChannelParameter::cboFailsafeValue_Click(int index) {
    if (m_blnUpdating || index < 0 || index >= kFailsafeEntries) {
        return;
    }
    RemoveInvalidFailsafeEntry();
    m_bytFailSafeParameter =
        static_cast<quint8>((m_bytFailSafeParameter & ~kFailsafeMask) | (index << kFailsafeShift));
    emit SetDirty(true);
}

void ChannelParameter::chkOpenLineDetection_Click(bool checked) {
    if (m_blnUpdating) {
        return;
    }
    if (checked) {
        m_bytFailSafeParameter &= static_cast<quint8>(~kOpenLineOff);
    } else {
        m_bytFailSafeParameter |= kOpenLineOff;
    }
    emit SetDirty(true);
}

// The short-detection box switches bit 7 alone. Bit 6 belongs to the open-line box:
// were it switched here as well, unchecking short detection would also switch off
// open-line detection while its box still showed it on, and the page would store a
// byte that differs from what the user sees. With one bit per box the two boxes
// always show the byte exactly, as writing FailSafeParameter shows it.
void ChannelParameter::chkShortDetection_Click(bool checked) {
    if (m_blnUpdating) {
        return;
    }
    if (checked) {
        m_bytFailSafeParameter &= static_cast<quint8>(~kShortOff);
    } else {
        m_bytFailSafeParameter |= kShortOff;
    }
    emit SetDirty(true);
}

// ---------------------------------------------------------------------------
// Caption and focus

void ChannelParameter::RefreshCaption() {
    const QString channel = m_objCommonResourceManager != nullptr && !m_sChannelText.isEmpty()
                                ? m_sChannelText + QLatin1Char(' ')
                                : QStringLiteral("channel ");
    fraChannelParameter->setTitle(channel + QString::number(m_nChannelNumber) + QStringLiteral(": ") +
                                  m_sChannelTag);
}

void ChannelParameter::FocusChanged(QWidget* now) {
    ShowCaptionFocus(now != nullptr && (now == this || isAncestorOf(now)));
}

void ChannelParameter::ShowCaptionFocus(bool focused) {
    if (focused == m_blnCaptionFocused) {
        return;
    }
    m_blnCaptionFocused = focused;
    QFont font = fraChannelParameter->font();
    font.setBold(focused);
    fraChannelParameter->setFont(font);
}

// A press on a frame's own surface (not on one of its elements) or on lblDamping
// moves the focus to the element that belongs to it. The press is consumed so
// that an enclosing frame does not move the focus again.
bool ChannelParameter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) {
        return QWidget::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (widget == nullptr || (widget != lblDamping && widget->childAt(position) != nullptr)) {
        return QWidget::eventFilter(watched, event);
    }
    QWidget* target = nullptr;
    if (widget == fraInput) {
        target = cboRange;
    } else if (widget == fraMonitoring) {
        target = chkShortDetection;
    } else if (widget == lblDamping) {
        target = cboDamping;
    } else if (widget == fraChannelParameter) {
        target = this;
    }
    if (target == nullptr) {
        return QWidget::eventFilter(watched, event);
    }
    IgnoreErrors([target] { target->setFocus(Qt::MouseFocusReason); });
    return true;
}

void ChannelParameter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fraChannelParameter->setGeometry(rect());
}

}  // namespace qt27
