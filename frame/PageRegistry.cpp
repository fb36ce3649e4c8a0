#include "PageRegistry.h"

#include <QCoreApplication>
#include <QWidget>

#include "QT27Controls/about/About.h"
#include "QT27Controls/diagnosis/Diagnosis.h"
#include "QT27Controls/identification/Identification.h"
#include "QT27Controls/observation/Observation.h"
#include "QT27Controls/parameter/Parameter.h"
#include "QT27Controls/simulation/Simulation.h"

namespace frame {

void PageRegistry::add(PageType type) {
    for (PageType& existing : m_types) {
        if (existing.name == type.name) {
            existing = std::move(type);
            return;
        }
    }
    m_types.append(std::move(type));
}

const PageType* PageRegistry::find(const QString& name) const {
    for (const PageType& type : m_types) {
        if (type.name == name) {
            return &type;
        }
    }
    return nullptr;
}

PageRegistry PageRegistry::withLibraryPages() {
    PageRegistry registry;
    registry.add({QStringLiteral("Parameter"),
                  QStringLiteral(QT_TRANSLATE_NOOP("frame::PageRegistry", "Parameter")),
                  [](QWidget* parent) -> QWidget* { return new qt27::Parameter(parent); }});
    registry.add({QStringLiteral("Observation"),
                  QStringLiteral(QT_TRANSLATE_NOOP("frame::PageRegistry", "Observation")),
                  [](QWidget* parent) -> QWidget* { return new qt27::Observation(parent); }, 1500});
    registry.add({QStringLiteral("Simulation"),
                  QStringLiteral(QT_TRANSLATE_NOOP("frame::PageRegistry", "Simulation")),
                  [](QWidget* parent) -> QWidget* { return new qt27::Simulation(parent); }, 1500});
    registry.add({QStringLiteral("Diagnosis"),
                  QStringLiteral(QT_TRANSLATE_NOOP("frame::PageRegistry", "Diagnosis")),
                  [](QWidget* parent) -> QWidget* { return new qt27::Diagnosis(parent); }, 300});
    registry.add({QStringLiteral("Identification"),
                  QStringLiteral(QT_TRANSLATE_NOOP("frame::PageRegistry", "Identification")),
                  [](QWidget* parent) -> QWidget* { return new qt27::Identification(parent); }, 300});
    registry.add({QStringLiteral("About"), QStringLiteral(QT_TRANSLATE_NOOP("frame::PageRegistry", "About")),
                  [](QWidget* parent) -> QWidget* { return new qt27::About(parent); }});
    return registry;
}

QString displayCaption(const PageType& type) {
    return QCoreApplication::translate("frame::PageRegistry", type.caption.toUtf8().constData());
}

qt27::IDtmActiveXControl* activeXControl(QWidget* page) {
    return dynamic_cast<qt27::IDtmActiveXControl*>(page);
}

}  // namespace frame
