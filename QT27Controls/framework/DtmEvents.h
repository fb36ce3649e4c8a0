#pragma once

#include <QString>

namespace qt27 {

/// The FDT error interface `IDtmEvents` of the base DTM: the frame shows the error.
class DtmEvents {
public:
    virtual ~DtmEvents() = default;
    /// A page reports an error (a refused request, a failed answer) with the
    /// parameter manager's system tag; the frame shows it to the user.
    virtual void OnErrorMessage(const QString& systemTag, const QString& errorText) = 0;
};

}  // namespace qt27
