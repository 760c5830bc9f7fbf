#include "dialogs/settings_sheet.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>

#include "dialogs/ranking_dialog.h"
#include "settings/settings_store.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"

namespace tav::desktop {
namespace {

QRgb rgbOf(ColourRef colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

class SheetDialogTest : public ::testing::Test {
  protected:
    static OptionsRecord individualOptions() {
        OptionsRecord options = OptionsRecord::defaults(1);
        options.individualSettings = 1;
        return options;
    }

    test::TempFolder temp;
    SettingsStore store{temp.str(), 1};
    OptionsRecord options = individualOptions();
    SettingsSheet sheet{options, DisplaySwitches{}, 20, AnalysisParameters::defaults(),
                        PeriodMode::Weekly};
    test::RecordingPrompter prompter;
    SettingsSheetDialog dialog{sheet, prompter, store};
};

TEST_F(SheetDialogTest, FivePagesInTabOrderWithTheirModeAndPeriod) {
    ASSERT_EQ(dialog.tabs()->count(), 5);
    const char* titles[] = {"全般", "描画色指定", "指数表示指定", "チャート値指定", "指数値指定"};
    for (int page = 0; page < 5; ++page)
        EXPECT_EQ(dialog.tabs()->tabText(page), QString::fromUtf8(titles[page]));
    for (ParameterGroup group : {ParameterGroup::Chart, ParameterGroup::Indicator})
        EXPECT_EQ(dialog.periodChoice(group)->currentText(), QString::fromUtf8("週足"));
    // Individual settings: the corner says so, in red, 70 pixels from the right edge.
    QWidget* page = dialog.tabs()->widget(3);
    dialog.tabs()->setCurrentIndex(3);
    dialog.show();
    auto* corner = page->findChild<QLabel*>(QStringLiteral("settingsMode"));
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->text(), QString::fromUtf8("個別設定"));
    EXPECT_EQ(corner->x(), page->width() - 70);
    bool relabelled = false;
    for (auto* button : page->findChildren<QPushButton*>())
        relabelled = relabelled || button->text() == QString::fromUtf8("共通値に戻す");
    EXPECT_TRUE(relabelled);
    EXPECT_EQ(dialog.orderList()->count(), kIndicatorCount);
    EXPECT_EQ(dialog.orderList()->item(7)->text(), QString::fromUtf8("MACDﾋｽﾄｸﾞﾗﾑ"));
}

TEST_F(SheetDialogTest, TheApiKeyIsTypedMaskedNeverShownBackAndTestedAsTyped) {
    EXPECT_EQ(dialog.apiKeyEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.apiKeyEdit()->text().isEmpty());
    EXPECT_EQ(dialog.apiKeyState()->text(), QString::fromUtf8("未設定"));
    EXPECT_FALSE(dialog.apiKeyRemoveButton()->isEnabled());

    std::vector<std::pair<std::string, int>> tested;
    dialog.testConnection = [&](const std::string& key, int plan) {
        tested.emplace_back(key, plan);
        return std::string("データAPIに接続できました。");
    };
    dialog.apiKeyEdit()->setText(QStringLiteral("  typed-key "));
    dialog.apiPlanChoice()->setCurrentIndex(1);
    dialog.connectionTestButton()->click();
    ASSERT_EQ(tested.size(), 1u);
    EXPECT_EQ(tested[0], (std::pair<std::string, int>{"typed-key", 1}));
    EXPECT_EQ(dialog.connectionTestResult()->text(), QString::fromUtf8("データAPIに接続できました。"));

    dialog.dataSourceChoice()->setCurrentIndex(1);
    dialog.accept();
    EXPECT_TRUE(sheet.dataFromApi);
    EXPECT_EQ(sheet.apiPlan, 1);
    EXPECT_EQ(sheet.apiKeyTyped, "typed-key");
}

TEST_F(SheetDialogTest, AStoredKeyShowsOnlyThatAndIsRemovedAfterAsking) {
    sheet.apiKeyStored = true;
    SettingsSheetDialog stored{sheet, prompter, store};
    EXPECT_EQ(stored.apiKeyState()->text(), QString::fromUtf8("設定済み"));
    int removed = 0;
    stored.removeKey = [&] { return ++removed > 0; };
    prompter.answers.push_back(Answer::No);
    stored.apiKeyRemoveButton()->click();
    EXPECT_EQ(removed, 0);
    prompter.answers.push_back(Answer::Yes);
    stored.apiKeyRemoveButton()->click();
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(stored.apiKeyState()->text(), QString::fromUtf8("未設定"));
    EXPECT_FALSE(stored.apiKeyRemoveButton()->isEnabled());
}

TEST_F(SheetDialogTest, SwatchesSitAtTheirPixelsAndAClickChoosesAColour) {
    sheet.colours[0] = 0x0000FF;
    sheet.colours[43] = 0x00FF00;
    ColourSwatches* swatches = dialog.swatches();
    swatches->resize(swatches->sizeHint());
    QImage image = swatches->grab().toImage();
    for (int index : {0, 9, 21, 36, 37, 43}) {
        SCOPED_TRACE(index);
        const SwatchRect r = swatchRect(index);
        EXPECT_EQ(image.pixel(r.left + 5, r.top + 5), rgbOf(sheet.colours[index]));
        EXPECT_EQ(image.pixel(r.left, r.top), rgbOf(sheet.colours[index]));
        EXPECT_EQ(image.pixel(r.left + 9, r.top + 9), rgbOf(sheet.colours[index]));
        EXPECT_EQ(image.pixel(r.left - 1, r.top + 5), qRgb(0, 0, 0));  // the frame
    }
    EXPECT_EQ(rgbOf(sheet.colours[0]), qRgb(0xFF, 0, 0));

    std::optional<ColourRef> offered;
    swatches->chooseColour = [&](ColourRef current) -> std::optional<ColourRef> {
        offered = current;
        return 0x123456;
    };
    const SwatchRect r = swatchRect(43);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(r.left + 3, r.top + 3), QPointF(),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(swatches, &click);
    EXPECT_EQ(offered, 0x00FF00u);
    EXPECT_EQ(sheet.colours[43], 0x123456u);
    image = swatches->grab().toImage();
    EXPECT_EQ(image.pixel(r.left + 5, r.top + 5), rgbOf(0x123456));
}

TEST_F(SheetDialogTest, OutOfRangeKeepsTheSheetOpenOnTheFieldsPage) {
    dialog.show();
    dialog.fieldEdit(SheetField::barLineWidth)->setText("6");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.tabs()->currentIndex(), 1);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"1 から 5 までの整数を入力してください。"});

    dialog.fieldEdit(SheetField::barLineWidth)->setText("5");
    dialog.parameterEdit(ParameterGroup::Indicator, 2)->setText("300");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.tabs()->currentIndex(), 4);

    // A refused field also keeps the period where it was.
    dialog.periodChoice(ParameterGroup::Indicator)->setCurrentIndex(0);
    emit dialog.periodChoice(ParameterGroup::Indicator)->activated(0);
    EXPECT_EQ(dialog.periodChoice(ParameterGroup::Indicator)->currentIndex(), 1);
    dialog.parameterEdit(ParameterGroup::Indicator, 2)->setText("30");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.block.indicator(IndicatorParam::rocPeriod, PeriodMode::Weekly), 30);
    EXPECT_EQ(sheet.block.indicator(IndicatorParam::rocPeriod, PeriodMode::Daily), 8);
}

TEST(RankingDialog, KindsFollowTheCategoryAndChoicesComeBack) {
    RankingDialog dialog({2, 7, 13, 1, 1}, {"注目1", "注目2"});
    EXPECT_EQ(dialog.kind()->count(), 8);
    EXPECT_EQ(dialog.kind()->currentText(), QString::fromUtf8("低乖離率（75日－）"));
    dialog.category()->setCurrentIndex(1);
    EXPECT_EQ(dialog.kind()->count(), 6);
    EXPECT_EQ(dialog.kind()->currentIndex(), 0);
    const RankingChoices choices = dialog.choices();
    EXPECT_EQ(choices.category, 1);
    EXPECT_EQ(choices.kind, 0);
    EXPECT_EQ(choices.market, 13);
    EXPECT_EQ(choices.period, 1);
    EXPECT_EQ(choices.output, 1);
}

}  // namespace
}  // namespace tav::desktop
