// Focus behaviour and layout of the channel parameter editor.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "ChannelParameterFixture.h"

using namespace chanparamtest;

namespace {

class ChannelParameterFocus : public testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        control = new qt27::ChannelParameter(&window);
        outside = new QLineEdit(&window);
        layout->addWidget(control);
        layout->addWidget(outside);
        window.resize(control->sizeHint() + QSize(40, 80));
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        outside->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), outside);
    }

    bool captionBold() const { return fra(*control, "fraChannelParameter")->font().bold(); }

    QWidget window;
    qt27::ChannelParameter* control = nullptr;
    QLineEdit* outside = nullptr;
};

TEST_F(ChannelParameterFocus, CaptionIsBoldWhileTheFocusIsInsideTheControl) {
    EXPECT_FALSE(captionBold());
    for (const char* name :
         {"cboRange", "cboDamping", "chkOpenLineDetection", "chkShortDetection", "cboFailsafeValue"}) {
        element<QWidget>(*control, name)->setFocus();
        EXPECT_TRUE(captionBold()) << name;
        // Only the caption: the elements inside keep their normal weight.
        EXPECT_FALSE(fra(*control, "fraInput")->font().bold()) << name;
        EXPECT_FALSE(fra(*control, "fraMonitoring")->font().bold()) << name;
        EXPECT_FALSE(lbl(*control, "lblShortDetection")->font().bold()) << name;
        EXPECT_FALSE(cbo(*control, "cboRange")->font().bold()) << name;
    }
    outside->setFocus();
    EXPECT_FALSE(captionBold());
}

TEST_F(ChannelParameterFocus, CaptionReturnsToNormalWhenTheWindowLosesTheFocus) {
    cbo(*control, "cboRange")->setFocus();
    ASSERT_TRUE(captionBold());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(captionBold());
}

struct FocusMove {
    const char* pressed;
    const char* target;  ///< nullptr: the control itself
};

class ChannelParameterFocusMove : public ChannelParameterFocus,
                                  public testing::WithParamInterface<FocusMove> {
protected:
    // A point on the element's own surface, not on one of its children.
    QPoint freePoint(QWidget* pressed) const {
        if (qobject_cast<QLabel*>(pressed) != nullptr) {
            return pressed->rect().center();
        }
        return {pressed->width() - 3, pressed->height() - 3};
    }
};

TEST_P(ChannelParameterFocusMove, MousePressMovesTheFocus) {
    QWidget* pressed = element<QWidget>(*control, GetParam().pressed);
    const QPoint point = freePoint(pressed);
    ASSERT_EQ(pressed->childAt(point), nullptr);
    QWidget* target = GetParam().target != nullptr ? element<QWidget>(*control, GetParam().target) : control;

    QTest::mousePress(pressed, Qt::LeftButton, {}, point);
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, point);

    EXPECT_EQ(QApplication::focusWidget(), target);
    EXPECT_TRUE(captionBold());
}

INSTANTIATE_TEST_SUITE_P(Elements, ChannelParameterFocusMove,
                         testing::Values(FocusMove{"fraInput", "cboRange"},
                                         FocusMove{"fraMonitoring", "chkShortDetection"},
                                         FocusMove{"lblDamping", "cboDamping"},
                                         FocusMove{"fraChannelParameter", nullptr}));

TEST_F(ChannelParameterFocus, PressOnAnElementInsideAFrameIsNotAPressOnTheFrame) {
    for (const char* name : {"lblRange", "lblOpenLineDetection", "lblFailsafeValue"}) {
        QLabel* label = lbl(*control, name);
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        EXPECT_EQ(QApplication::focusWidget(), outside)
            << name << " -> " << QApplication::focusWidget()->metaObject()->className() << " "
            << QApplication::focusWidget()->objectName().toStdString();
    }
}

TEST_F(ChannelParameterFocus, FocusMoveToALockedEditorIsIgnored) {
    control->setLocked(true);
    QGroupBox* input = fra(*control, "fraInput");
    const QPoint point(input->width() - 3, input->height() - 3);
    QTest::mouseClick(input, Qt::LeftButton, {}, point);
    QLabel* damping = lbl(*control, "lblDamping");
    QTest::mouseClick(damping, Qt::LeftButton, {}, damping->rect().center());
    EXPECT_EQ(QApplication::focusWidget(), outside);
}

// --- Layout ---------------------------------------------------------------------

TEST(ChannelParameterLayout, OuterFrameFillsTheControlAndTheInnerLayoutStays) {
    qt27::ChannelParameter control;
    control.show();
    const QRect input = fra(control, "fraInput")->geometry();
    const QRect failsafe = cbo(control, "cboFailsafeValue")->geometry();
    EXPECT_EQ(fra(control, "fraChannelParameter")->geometry(), QRect(QPoint(0, 0), control.sizeHint()));
    for (const QSize size : {QSize(700, 200), QSize(300, 60), QSize(1200, 118)}) {
        control.resize(size);
        EXPECT_EQ(fra(control, "fraChannelParameter")->geometry(), QRect(QPoint(0, 0), size));
        EXPECT_EQ(fra(control, "fraInput")->geometry(), input);
        EXPECT_EQ(cbo(control, "cboFailsafeValue")->geometry(), failsafe);
    }
}

class ChannelParameterLayoutTexts : public testing::TestWithParam<const char*> {};

// Every label, list and frame caption fits its place and no two elements overlap.
TEST_P(ChannelParameterLayoutTexts, TextsFitWithoutOverlap) {
    TempResources resources;
    TempResources::write(resources.common(), "en", commonTexts());
    TempResources::write(resources.device(), "en", deviceTexts());
    TempResources::write(resources.common(), "de",
                         {{6003, "Kanal"},
                          {6005, QString::fromUtf8("Leitungsüberwachung und Ersatzwertstrategie")},
                          {6007, "Drahtbrucherkennung"},
                          {6008, "Kurzschlusserkennung"},
                          {6009, QString::fromUtf8("letzter gültiger Wert")},
                          {6010, "Ersatzwertstrategie"},
                          {6014, "aus"},
                          {6018, "Minimalwert"},
                          {6019, "Maximalwert"}});
    TempResources::write(
        resources.device(), "de",
        {{1001, "Eingangssignal"}, {1002, "Messbereich"}, {1003, QString::fromUtf8("Dämpfung")}});
    rmox::ResourceManager manager;
    manager.setLanguage(GetParam());
    qt27::ChannelParameter control;
    resources.use(control);
    if (!QString::fromLatin1(GetParam()).isEmpty()) {
        control.setResourceManager(&manager);
    }
    control.setFailSafeParameter(0x30);  // the extra failsafe entry must fit too
    control.show();

    for (QLabel* label : control.findChildren<QLabel*>()) {
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    }
    // The design placeholders of the failsafe list are longer than any real text;
    // they are only seen before a resource manager is set.
    const bool placeholders = QString::fromLatin1(GetParam()).isEmpty();
    for (QComboBox* list : control.findChildren<QComboBox*>()) {
        if (placeholders && list->objectName() == "cboFailsafeValue") {
            continue;
        }
        EXPECT_LE(list->sizeHint().width(), list->width()) << list->objectName().toStdString();
        EXPECT_GE(list->height(), list->minimumSizeHint().height()) << list->objectName().toStdString();
    }
    for (const char* name : {"fraInput", "fraMonitoring"}) {
        QGroupBox* frame = fra(control, name);
        EXPECT_LE(frame->minimumSizeHint().width(), frame->width()) << frame->title().toStdString();
    }
    // The bold caption of the outer frame stays above the inner frames.
    QFont bold = fra(control, "fraChannelParameter")->font();
    bold.setBold(true);
    EXPECT_GE(fra(control, "fraInput")->y(), QFontMetrics(bold).height());

    for (QWidget* parent : {static_cast<QWidget*>(fra(control, "fraChannelParameter")),
                            static_cast<QWidget*>(fra(control, "fraInput")),
                            static_cast<QWidget*>(fra(control, "fraMonitoring"))}) {
        const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < children.size(); ++i) {
            EXPECT_TRUE(parent->rect().contains(children[i]->geometry()))
                << children[i]->objectName().toStdString();
            for (qsizetype j = i + 1; j < children.size(); ++j) {
                EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
                    << children[i]->objectName().toStdString() << " / "
                    << children[j]->objectName().toStdString();
            }
        }
    }
}

// "": design captions; "en" and "de": texts from the resource folders.
INSTANTIATE_TEST_SUITE_P(Languages, ChannelParameterLayoutTexts, testing::Values("", "en", "de"));

// Run under the sanitizers: the focus change while the elements are deleted must
// not reach the half-destroyed control.
TEST_F(ChannelParameterFocus, DeletingTheControlWhileAnElementHasTheFocusIsSafe) {
    cbo(*control, "cboDamping")->setFocus();
    ASSERT_TRUE(captionBold());
    delete control;
    control = nullptr;
    outside->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), outside);
}

}  // namespace
