#pragma once

#include <QString>

namespace qt27 {

class QT27Dtm;

/// The FDT interface by which the host DTM starts and releases a page.
/// Both operations always answer true.
class IDtmActiveXControl {
public:
    virtual ~IDtmActiveXControl() = default;
    /// Starts the page for the module of @p dtm: it reads its data, configures its
    /// controls, calls BaseDtm::UiOpened with @p invokeID (its id in every later
    /// notification) and, on an online page, starts its session. Errors inside are
    /// logged and skipped, so the page comes up even when one source is missing.
    virtual bool IDtmActiveXControl_Init(const QString& invokeID, const QString& functionCall,
                                         QT27Dtm* dtm) = 0;
    /// Asks the page to get ready for destruction. The page answers at once and
    /// finishes asynchronously: BaseDtm::UiReleased tells the host when it may be
    /// destroyed (an online page first ends its connection).
    virtual bool IDtmActiveXControl_PrepareToRelease() = 0;
};

}  // namespace qt27
