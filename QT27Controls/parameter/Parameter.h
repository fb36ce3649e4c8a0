#pragma once

#include <QByteArray>
#include <QList>

#include "QT27Controls/framework/PageFrame.h"

namespace qt27 {

class ChannelParameter;

/// The Parameter page: the four channel parameter bytes of the module's offline
/// data set, one ChannelParameter editor per channel. The page keeps a working
/// copy of the parameter array (`aDataSet`) and writes it back on Apply or OK.
class Parameter : public PageFrame {
    Q_OBJECT

public:
    /// Creates the page with its four channel editors, numbered 1 to 4.
    explicit Parameter(QWidget* parent = nullptr);

    /// The page's design size; its elements keep their design positions.
    QSize sizeHint() const override;

    /// The working copy of the parameter array.
    QByteArray dataSet() const { return aDataSet; }
    /// The editor with control-array index @p index (0 to 3).
    ChannelParameter* channelParameter(int index) const { return ctlChannelParameter.value(index); }

public slots:
    /// Editor @p index reported an edit: its damping, failsafe and detection bits go
    /// into the working copy, and the page becomes dirty.
    void ctlChannelParameter_SetDirty(int index, bool dirty);
    /// Editor @p index selected another range: the range bits go into the working
    /// copy, the editors are refreshed, and the page becomes dirty.
    void ctlChannelParameter_RangeChanged(int index, qint16 range);

protected:
    void configureChildControls() override;
    void readAllValues() override;
    ButtonSet buttonSet() const override { return {true, true, true, false}; }
    int helpContextId() const override { return 21500; }
    void setEditorsLocked(bool locked) override;
    void writeDataSet() override;
    void dataSetChanged() override;

private:
    void GetAllValues();
    void RefreshEditors();
    /// Reports each field that differs from the stored data set to the audit trail.
    void reportChangedFields(ParameterManager* manager);
    /// True when the module type code selects a range list ("37" or "54").
    bool HasRangeList() const;

    QByteArray aDataSet;
    QList<ChannelParameter*> ctlChannelParameter;
};

}  // namespace qt27
