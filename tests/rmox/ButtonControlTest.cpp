// The button bar's buttons as a user sees and presses them; the pages check how they use the bar.
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
    // clang-format off
    for (const auto& [event, name] : {std::pair{&ButtonControl::Apply, "Apply"}, {&ButtonControl::Cancel, "Cancel"},
                                      {&ButtonControl::Ok, "Ok"}, {&ButtonControl::Help, "Help"},
                                      {&ButtonControl::Clos, "Clos"}, {&ButtonControl::PageButton, "PageButton"}}) {
        // clang-format on
        QObject::connect(&bar, event, &bar, [&raised, name = name] { raised << name; });
    }
    const auto clickAll = [&] {
        QStringList result;
        for (QPushButton* button : {bar.applyButton(), bar.cancelButton(), bar.okButton(), bar.helpButton(),
                                    bar.closeButton(), bar.pageButton()}) {
            raised.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            result << raised.join('+') + "=" + button->text();
        }
        return result.join(' ');
    };
    EXPECT_EQ(clickAll(), "Apply=Apply Cancel=Cancel Ok=OK Help=Help Clos=Close PageButton=Connect");
    bar.AcknowledgeButton();
    EXPECT_EQ(clickAll(), "=Apply =Cancel =OK =Help =Close =Connect");
    bar.DisableOk();
    bar.EndOperation();
    EXPECT_EQ(clickAll(), "Apply=Apply Cancel=Cancel =OK Help=Help Clos=Close PageButton=Connect")
        << "an ended operation frees the buttons";
}

}  // namespace
