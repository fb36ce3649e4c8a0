#pragma once

#include <QString>

namespace qt27 {

class QT27Dtm;

/// The FDT interface by which the host DTM starts and releases a page.
/// Both operations always answer true.
class IDtmActiveXControl {
public:
    virtual ~IDtmActiveXControl() = default;
    virtual bool IDtmActiveXControl_Init(const QString& invokeID, const QString& functionCall,
                                         QT27Dtm* dtm) = 0;
    virtual bool IDtmActiveXControl_PrepareToRelease() = 0;
};

}  // namespace qt27
