#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "dialog_driving.h"
#include "dialogs/capsule_dialog.h"
#include "dialogs/condition_dialog.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"

namespace tav::desktop {
namespace {

QComboBox* comboOf(ConditionDialog& d, int id) {
    return static_cast<QComboBox*>(d.control(id));
}

void type(ConditionDialog& d, int id, const char* text) {
    auto* line = static_cast<QLineEdit*>(d.control(id));
    line->clear();
    QTest::keyClicks(line, QString::fromUtf8(text));
}

void click(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

TEST(CapsuleDialog, BuildsACapsuleThroughTheWidgetsAndSavesTheExpectedFiles) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    test::RecordingShell shell;
    CapsuleDialog dialog(temp.str(), 0, prompter, shell);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.button(1052)->isEnabled());  // no capsule: no rows to add

    prompter.inputs = {std::string("押し目")};
    dialog.button(1058)->click();
    ASSERT_EQ(dialog.titles()->count(), 1);
    EXPECT_EQ(dialog.fileName()->text(), QStringLiteral("Capsel1.pat"));

    // "陽線": no capsule tab, three roles, n read-only until a shape that takes one.
    test::whenOpen<ConditionDialog>([](ConditionDialog& d) {
        EXPECT_EQ(d.tabs()->count(), 5);
        EXPECT_EQ(d.roleList()->count(), 3);
        d.tabs()->setCurrentIndex(3);
        EXPECT_FALSE(d.control(1074)->isEnabled());
        comboOf(d, 1073)->setCurrentIndex(2);
        EXPECT_TRUE(d.control(1074)->isEnabled());
        comboOf(d, 1073)->setCurrentIndex(0);
        d.accept();
    });
    dialog.button(1052)->click();
    ASSERT_EQ(dialog.rows()->count(), 1);
    EXPECT_FALSE(dialog.logicList()->isEnabled());

    // A filter row: yesterday's RSI from 30 to 50.
    test::whenOpen<ConditionDialog>([](ConditionDialog& d) {
        d.tabs()->setCurrentIndex(2);
        comboOf(d, 1069)->setCurrentIndex(2);
        type(d, 1070, "30");
        EXPECT_FALSE(d.control(1071)->isEnabled());
        comboOf(d, 1072)->setCurrentIndex(6);
        EXPECT_TRUE(d.control(1071)->isEnabled());
        type(d, 1071, "50");
        d.roleList()->setCurrentIndex(1);
        type(d, 1109, "1");
        EXPECT_FALSE(d.sentence().isEmpty());
        test::shoot(d, "capsule_condition_dialog");
        d.accept();
    });
    dialog.button(1052)->click();
    ASSERT_EQ(dialog.rows()->count(), 2);
    EXPECT_EQ(dialog.rows()->currentRow(), 1);
    ASSERT_TRUE(dialog.logicList()->isEnabled());
    dialog.logicList()->setCurrentIndex(1);

    // A third row moved up, then deleted: the first two are as they were.
    const QString second = dialog.rows()->item(1)->text();
    test::whenOpen<ConditionDialog>([](ConditionDialog& d) {
        d.tabs()->setCurrentIndex(4);
        d.accept();
    });
    dialog.button(1052)->click();
    dialog.button(1068)->click();
    EXPECT_EQ(dialog.rows()->currentRow(), 1);
    EXPECT_EQ(dialog.rows()->item(2)->text(), second);
    dialog.button(1060)->click();
    ASSERT_EQ(dialog.rows()->count(), 2);
    EXPECT_EQ(dialog.rows()->item(1)->text(), second);

    // Shift on a row opens the capsule's file; a plain click does not.
    click(dialog.rows(), 0, Qt::ShiftModifier);
    click(dialog.rows(), 1);
    EXPECT_EQ(shell.opened, std::vector<std::string>{(temp / "Capsel1.pat").string()});
    test::shoot(dialog, "capsule_dialog");

    // Another capsule saves the first; Ctrl on its title opens the title file.
    prompter.inputs = {std::string("逆張り")};
    dialog.button(1058)->click();
    EXPECT_EQ(dialog.rows()->count(), 0);
    EXPECT_FALSE(dialog.logicList()->isEnabled());
    EXPECT_EQ(dialog.logicList()->currentIndex(), 0);
    click(dialog.titles(), 0, Qt::ControlModifier);
    EXPECT_EQ(shell.opened.back(), (temp / "Capsel.inf").string());
    EXPECT_EQ(dialog.rows()->count(), 2);
    EXPECT_EQ(dialog.logicList()->currentIndex(), 1);

    // Double-click on a title renames it.
    prompter.inputs = {std::string("押し目買い")};
    const QRect first = dialog.titles()->visualItemRect(dialog.titles()->item(0));
    QTest::mouseDClick(dialog.titles()->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(dialog.titles()->item(0)->text(), QStringLiteral("押し目買い"));

    dialog.close();  // the close box acts as OK
    EXPECT_EQ(test::readFile(temp / "Capsel.inf"),
              "\x89\x9f\x82\xb5\x96\xda\x94\x83\x82\xa2\n\x8b\x74\x92\xa3\x82\xe8\n");
    EXPECT_EQ(test::readFile(temp / "Capsel1.pat"),
              "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n[CAPSEL]\n"
              "1 0 0 0 0 0 0 0 0 0,3 0 0 0 0 0 0 0 0 0,2 1 1 2 30 6 50 0 0 0\n");
    EXPECT_TRUE(prompter.messages().empty());
}

}  // namespace
}  // namespace tav::desktop
