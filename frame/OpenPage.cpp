#include "OpenPage.h"

#include <QWidget>

#include "QT27Controls/framework/IDtmActiveXControl.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"

namespace frame {

OpenPage::OpenPage(const PageType& type, host::QT27Dtm* dtm, const QString& invokeId, QObject* parent)
    : QObject(parent), m_type(type), m_dtm(dtm), m_invokeId(invokeId) {
    m_widget = m_type.create(nullptr);
    m_widget->setObjectName(m_type.name);
    m_grace.setSingleShot(true);
    m_grace.setInterval(kGracePeriodMs);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (!m_released) {
            closeConnections();
            emit releaseTimedOut();
        }
    });
    if (m_dtm != nullptr) {
        connect(m_dtm->baseDtm(), &host::BaseDtm::uiReleased, this, &OpenPage::onUiReleased);
        connect(m_dtm->baseDtm(), &host::BaseDtm::closeUiRequested, this, &OpenPage::onCloseUi);
    }
}

OpenPage::~OpenPage() {
    if (m_ownsWidget) {
        delete m_widget.data();
    }
}

int OpenPage::slot() const {
    return m_dtm != nullptr ? m_dtm->slot() : 0;
}

QString OpenPage::description() const {
    return tr("%1 of slot %2").arg(displayCaption(m_type)).arg(slot(), 2, 10, QLatin1Char('0'));
}

bool OpenPage::init() {
    qt27::IDtmActiveXControl* control = activeXControl(m_widget);
    if (control == nullptr) {
        return false;
    }
    return control->IDtmActiveXControl_Init(m_invokeId, m_type.name, m_dtm);
}

void OpenPage::requestRelease() {
    if (m_releaseRequested || m_released) {
        return;
    }
    m_releaseRequested = true;
    // The grace period starts once PrepareToRelease has answered: while the call
    // runs, the page may be asking the user about unsaved changes, and a user who
    // takes time to answer is no page that failed to release. Timing out there
    // would close the window and delete the page under its own question.
    if (qt27::IDtmActiveXControl* control = activeXControl(m_widget)) {
        control->IDtmActiveXControl_PrepareToRelease();
    }
    if (!m_released) {
        m_grace.start();
    }
}

void OpenPage::closeConnections() {
    // The page is given up on before it took its connection down: the host closes
    // it, so that no connection outlives its page.
    if (m_dtm == nullptr || m_widget == nullptr) {
        return;
    }
    for (qt27::CommunicationService* service : m_dtm->CommunicationObjects()) {
        if (auto* hostService = qobject_cast<host::CommunicationService*>(service)) {
            hostService->closeConnectionsOf(m_widget);
        }
    }
}

void OpenPage::onUiReleased(const QString& invokeId) {
    if (invokeId != m_invokeId || m_released) {
        return;
    }
    m_released = true;
    m_grace.stop();
    emit released();
}

void OpenPage::onCloseUi(const QString& invokeId) {
    if (invokeId != m_invokeId || (m_closeGuard && !m_closeGuard())) {
        return;
    }
    emit closeRequested();
    requestRelease();
}

}  // namespace frame
