#include "UnsavedChanges.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "QT27Controls/parameter/Parameter.h"
#include "frame/OpenPage.h"
#include "host/BaseDtm.h"
#include "host/MessageService.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace frame {

namespace {

// The page's own release question (common text 6501).
constexpr int kSaveQuestion = 6501;

qt27::PageFrame* pageFrame(const OpenPage& page) {
    return qobject_cast<qt27::PageFrame*>(page.widget());
}

UnsavedChanges::Answer askInMessageBox(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the title bar's close button keep everything as it is; Yes/No stay
    // the only buttons shown, as the page asks it.
    QAbstractButton* keep = box.addButton(QMessageBox::Cancel);
    keep->hide();
    box.setEscapeButton(keep);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes)) {
        return UnsavedChanges::Answer::Yes;
    }
    if (box.clickedButton() == box.button(QMessageBox::No)) {
        return UnsavedChanges::Answer::No;
    }
    return UnsavedChanges::Answer::Cancel;
}

}  // namespace

UnsavedChanges::UnsavedChanges(host::Station& station, QWidget* dialogParent)
    : QObject(dialogParent), m_station(station), m_dialogParent(dialogParent) {}

void UnsavedChanges::watchStation() {
    for (const QMetaObject::Connection& connection : std::as_const(m_connections)) {
        disconnect(connection);
    }
    m_connections.clear();
    for (const host::Station::ModuleInfo& module : m_station.modules()) {
        host::QT27Dtm* dtm = m_station.dtmForSlot(module.slot);
        if (dtm == nullptr) {
            continue;
        }
        const int slot = module.slot;
        m_connections.append(connect(
            dtm->baseDtm()->parameterManager(), &host::ParameterManager::storeFailed, this, [this, slot] {
                // Remembered until the event loop turns: the page's OK
                // stores and asks to close in one go.
                m_failedSlots.insert(slot);
                QTimer::singleShot(0, this, [this, slot] { m_failedSlots.remove(slot); });
            }));
    }
}

UnsavedChanges::Answer UnsavedChanges::ask(const QString& text, const QString& title) {
    return m_asker ? m_asker(text, title) : askInMessageBox(m_dialogParent, text, title);
}

UnsavedChanges::Decision UnsavedChanges::decide(OpenPage& page) {
    qt27::PageFrame* frame = pageFrame(page);
    if (frame == nullptr || !frame->isDirty() || page.isReleased() || page.isReleaseRequested() ||
        frame->commonResourceManager() == nullptr) {
        return Decision::Release;
    }
    const QString question =
        frame->commonResourceManager()->GetString(kSaveQuestion, frame->commonResourceFolder());
    switch (ask(question, frame->moduleData().ModuleTypeName)) {
        case Answer::Cancel:
            return Decision::KeepOpen;
        case Answer::No:
            m_discarding.insert(&page);
            return Decision::Release;
        case Answer::Yes:
            break;
    }
    m_failedSlots.remove(page.slot());
    frame->ctlButtons_Apply();
    if (storeFailedNow(page.slot())) {
        keepEdit(page);
        return Decision::KeepOpen;
    }
    return Decision::Release;
}

void UnsavedChanges::release(OpenPage& page) {
    host::QT27Dtm* dtm = m_station.dtmForSlot(page.slot());
    host::MessageService* messages = dtm != nullptr ? dtm->baseDtm()->messageService() : nullptr;
    const bool discard = m_discarding.remove(&page);
    if (discard && messages != nullptr) {
        messages->answerNextQuestion(host::MessageService::AnswerNo);
    }
    page.requestRelease();
    if (discard && messages != nullptr) {
        messages->clearQueuedAnswers();
    }
}

bool UnsavedChanges::mayFollowCloseRequest(OpenPage& page) {
    if (!storeFailedNow(page.slot())) {
        return true;
    }
    keepEdit(page);
    return false;
}

void UnsavedChanges::keepEdit(OpenPage& page) {
    // A refused edit is only in the page: dirty again, Apply stores it once the
    // lock allows. An edit that reached memory but not the file needs no Apply:
    // File > Save project and quitting take care of it.
    auto* parameter = qobject_cast<qt27::Parameter*>(page.widget());
    host::QT27Dtm* dtm = m_station.dtmForSlot(page.slot());
    if (parameter != nullptr && dtm != nullptr &&
        parameter->dataSet() != dtm->baseDtm()->parameterManager()->record().parameters) {
        parameter->ctlChannelParameter_SetDirty(0, true);
    }
    emit keptOpen(&page);
}

bool UnsavedChanges::mayQuit(const QList<OpenPage*>& pages, const std::function<void(OpenPage*)>& show) {
    for (OpenPage* page : pages) {
        qt27::PageFrame* frame = pageFrame(*page);
        if (frame != nullptr && frame->isDirty() && !page->isReleaseRequested()) {
            if (show) {
                show(page);
            }
            if (decide(*page) == Decision::KeepOpen) {
                for (OpenPage* other : pages) {
                    m_discarding.remove(other);
                }
                return false;
            }
        }
    }
    if (!m_station.hasUnsavedChanges()) {
        return true;
    }
    const Answer answer =
        ask(tr("The station project holds changes that could not be written to \"%1\". Save them now?")
                .arg(m_station.projectPath()),
            tr("Unsaved project changes"));
    if (answer == Answer::Cancel) {
        return false;
    }
    return answer == Answer::No || m_station.save();
}

}  // namespace frame
