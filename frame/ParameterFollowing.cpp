#include "ParameterFollowing.h"

#include <QWidget>

#include "frame/OpenPage.h"
#include "host/BaseDtm.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace frame {

ParameterFollowing::ParameterFollowing(host::Station& station, OpenPages openPages, QObject* parent)
    : QObject(parent), m_station(station), m_openPages(std::move(openPages)) {}

void ParameterFollowing::watchStation() {
    for (const QMetaObject::Connection& connection : std::as_const(m_connections)) {
        disconnect(connection);
    }
    m_connections.clear();
    for (const host::Station::ModuleInfo& module : m_station.modules()) {
        if (host::QT27Dtm* dtm = m_station.dtmForSlot(module.slot)) {
            const int slot = module.slot;
            m_connections.append(connect(dtm->baseDtm()->parameterManager(),
                                         &qt27::ParameterManager::ParameterChanged, this,
                                         [this, slot] { follow(slot); }));
        }
    }
}

void ParameterFollowing::follow(int slot) {
    host::QT27Dtm* dtm = m_station.dtmForSlot(slot);
    if (dtm == nullptr) {
        return;
    }
    const QByteArray parameters = dtm->baseDtm()->parameterManager()->record().parameters;
    for (OpenPage* page : m_openPages()) {
        if (page->slot() == slot && !page->isReleased()) {
            passRanges(page->widget(), parameters);
        }
    }
}

int passRanges(QWidget* page, const QByteArray& parameters) {
    int changed = 0;
    if (page == nullptr) {
        return changed;
    }
    for (QWidget* child : page->findChildren<QWidget*>()) {
        const QVariant index = child->property("index");
        const QVariant range = child->property("Range");
        if (!index.isValid() || !range.isValid() || child->metaObject()->indexOfProperty("Range") < 0) {
            continue;
        }
        const int channel = index.toInt();
        if (channel < 0 || channel >= parameters.size()) {
            continue;
        }
        const uint wanted = (static_cast<quint8>(parameters[channel]) >> 2) & 3;
        if (range.toUInt() != wanted) {
            child->setProperty("Range", QVariant::fromValue(static_cast<quint8>(wanted)));
            ++changed;
        }
    }
    return changed;
}

}  // namespace frame
