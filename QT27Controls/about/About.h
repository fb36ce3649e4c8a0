#pragma once

#include "QT27Controls/framework/PageFrame.h"

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace qt27 {

/// The About page: the DTM's name, its FDT and DTM revisions and the product
/// pictures, in the frame's language. It has no button bar; its OK button asks the
/// base DTM to close it.
class About : public PageFrame {
    Q_OBJECT

public:
    /// Creates the page with its design texts; Init fills in the DTM information.
    explicit About(QWidget* parent = nullptr);

    bool IDtmActiveXControl_Init(const QString& invokeID, const QString& functionCall, QT27Dtm* dtm) override;
    bool IDtmActiveXControl_PrepareToRelease() override;

    /// The page's design size; its elements keep their design positions.
    QSize sizeHint() const override;

public slots:
    /// OK: asks the base DTM to close the window.
    void cmdOK_Click();

private:
    void showDtmInformation();
    void showPictures();

    QPointer<BaseDtm> m_objUiNotifications;
    rmox::ResourceManager* m_resourceManager = nullptr;

    QLabel* lblDtmName = nullptr;
    QGroupBox* fraRevision = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* lblTextFdtRevision = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* lblTextDtmRevision = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Picture1 = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* cmdOK = nullptr;
};

}  // namespace qt27
