#include "AuditTrail.h"

#include "QT27Controls/framework/BaseDtm.h"

namespace qt27 {

bool reportChange(BaseDtm* baseDtm, const QString& code, const QStringList& arguments, int channel) {
    if (baseDtm == nullptr) {
        return true;
    }
    qt27::AuditTrail* trail = baseDtm->AuditTrail();
    return trail == nullptr || trail->RecordChange(code, arguments, channel);
}

}  // namespace qt27
