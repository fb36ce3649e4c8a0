// The button bar's buttons as a user presses them; the pages check how they use the bar.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "rmox/ButtonControl/ButtonControl.h"

namespace {

using rmox::ButtonControl;

TEST(ButtonControl, EachButtonRaisesItsOwnEventUntilAPressIsAcknowledged) {
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), "Connect");
    bar.show();
    QStringList raised;
    for (const auto& [event, name] : {std::pair{&ButtonControl::Apply, "Apply"},
                                      {&ButtonControl::Cancel, "Cancel"},
                                      {&ButtonControl::Ok, "Ok"},
                                      {&ButtonControl::Help, "Help"},
                                      {&ButtonControl::Clos, "Clos"},
                                      {&ButtonControl::PageButton, "PageButton"}}) {
        QObject::connect(&bar, event, &bar, [&raised, name = name] { raised << name; });
    }
    const auto clickAll = [&] {
        raised.clear();
        for (QPushButton* button : {bar.applyButton(), bar.cancelButton(), bar.okButton(), bar.helpButton(),
                                    bar.closeButton(), bar.pageButton()}) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        return raised.join(' ');
    };
    EXPECT_EQ(clickAll(), "Apply Cancel Ok Help Clos PageButton");
    bar.AcknowledgeButton();
    EXPECT_EQ(clickAll(), "");
    bar.DisableOk();
    bar.EndOperation();
    EXPECT_EQ(clickAll(), "Apply Cancel Help Clos PageButton") << "an ended operation frees the buttons";
}

}  // namespace
