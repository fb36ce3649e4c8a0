#pragma once

#include <QString>

namespace qt27 {

/// The FDT error interface `IDtmEvents` of the base DTM: the frame shows the error.
class DtmEvents {
public:
    virtual ~DtmEvents() = default;
    virtual void OnErrorMessage(const QString& systemTag, const QString& errorText) = 0;
};

}  // namespace qt27
