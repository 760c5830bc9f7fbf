// Every dialog the user can meet speaks Japanese: no button (and, in the
// framework's own choosers, no label) carries an English word.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "conditions/capsule_file.h"
#include "dialog_driving.h"
#include "dialogs/add_codes_dialog.h"
#include "dialogs/add_security_dialog.h"
#include "dialogs/archive_days_dialog.h"
#include "dialogs/capsule_dialog.h"
#include "dialogs/choice_dialog.h"
#include "dialogs/condition_dialog.h"
#include "dialogs/csv_import_dialog.h"
#include "dialogs/margin_dialog.h"
#include "dialogs/multi_run_dialog.h"
#include "dialogs/portfolio_dialog.h"
#include "dialogs/quote_entry_dialog.h"
#include "dialogs/ranking_dialog.h"
#include "dialogs/screening_dialog.h"
#include "dialogs/settings_sheet.h"
#include "dialogs/simulation_result_dialog.h"
#include "dialogs/split_dialog.h"
#include "dialogs/stop_dialog.h"
#include "dialogs/strategy_editor_dialog.h"
#include "dialogs/tactic_dialog.h"
#include "qt_platform/qt_prompter.h"
#include "quotes/quote_page.h"
#include "settings/settings_store.h"
#include "simulation/strategy.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "window/ui_font.h"

namespace tav::desktop {
namespace {

// Latin words of two letters or more, "OK" (which Japanese dialogs keep)
// and the colour chooser's "HTML" aside.
QStringList englishWords(QString text) {
    text.remove(QLatin1Char('&'));
    QStringList words;
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    for (auto match = word.globalMatch(text); match.hasNext();) {
        const QString found = match.next().captured();
        if (found != QStringLiteral("OK") && found != QStringLiteral("HTML")) words << found;
    }
    return words;
}

// "dialog: text" for every English button of the dialog, and label when asked.
QStringList englishTexts(const QWidget& dialog, const char* name, bool labelsToo) {
    QStringList found;
    const auto check = [&](const QString& text) {
        if (!englishWords(text).isEmpty()) found << QStringLiteral("%1: %2").arg(name, text);
    };
    // Push buttons only: check boxes may name a site ("yahoo").
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        if (!button->text().isEmpty()) check(button->text());
    if (labelsToo)
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            check(label->text());
    return found;
}

// "dialog: text" for every one-line label the layout gives less room than its
// text needs (a unit squeezed off the end of its row).
QStringList cutLabels(QWidget& dialog, const char* name) {
    dialog.show();
    QApplication::processEvents();
    QStringList cut;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        const QString text = label->text();
        if (!label->isVisible() || label->wordWrap() || text.isEmpty() ||
            text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('<')))
            continue;
        // Labels are drawn with their kana composed, which is wider.
        if (label->fontMetrics().horizontalAdvance(composedKana(text)) >
            label->contentsRect().width())
            cut << QStringLiteral("%1: %2").arg(name, text);
    }
    dialog.hide();
    return cut;
}

class DialogLanguage : public ::testing::Test {
  protected:
    void SetUp() override {
        writeStrategyNames(temp.str(), {"戦略A"});
        writeCapsuleTitles(temp.str(), {"カプセルA"});
    }
    test::TempFolder temp;
    test::TestPlatform tools;
    test::RecordingPrompter& prompter = tools.prompter;
};

TEST_F(DialogLanguage, NoEnglishButtonInAnyDialog) {
    Tactic tactic;
    tactic.name = "戦術1";
    const std::vector<std::string> capsules{"カプセルA"};
    const std::vector<std::string> watchlists{"入力", "出力"};
    std::vector<MarginRecord> margins(1);
    margins[0].dateText = "2024/06/14";
    OptionsRecord options = OptionsRecord::defaults(1);
    SettingsStore store{temp.str(), 1};
    SettingsSheet sheet{options, DisplaySwitches{}, 20, AnalysisParameters::defaults(),
                        PeriodMode::Daily};
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    SimulationResultSetup result;
    result.strategyName = "戦略A";
    result.watchlists = watchlists;

    using Make = std::function<std::unique_ptr<QWidget>()>;
    const std::pair<const char*, Make> dialogs[] = {
        {"tactic", [&] { return std::make_unique<TacticDialog>(tactic, kModeMixed); }},
        {"condition",
         [&] {
             return std::make_unique<ConditionDialog>(Condition{}, ConditionContext::Strategy,
                                                      capsules, prompter);
         }},
        {"stop", [&] { return std::make_unique<StopDialog>(Condition{}, false, true, prompter); }},
        {"logic",
         [&] {
             return std::make_unique<ChoiceDialog>(QStringLiteral("条件論理式"),
                                                   conditions::logicLabels(), 0);
         }},
        {"fill price",
         [&] {
             return std::make_unique<ChoiceDialog>(QStringLiteral("個別売買値"),
                                                   strategy_labels::fillPrices(), 0);
         }},
        {"split",
         [&] { return std::make_unique<SplitDialog>(SplitSettings{}, capsules, prompter); }},
        {"add codes", [&] { return std::make_unique<AddCodesDialog>(7203); }},
        {"archive days",
         [&] {
             return std::make_unique<ArchiveDaysDialog>(std::vector<std::string>{"20240614"}, 1);
         }},
        {"day entry", [&] { return std::make_unique<DayEntryDialog>(QStringLiteral("20240614")); }},
        {"add security", [&] { return std::make_unique<AddSecurityDialog>(7203); }},
        {"quote entry", [&] { return std::make_unique<QuoteEntryDialog>(QuoteRecord{}); }},
        {"margin", [&] { return std::make_unique<MarginDialog>("トヨタ", margins); }},
        {"ranking", [&] { return std::make_unique<RankingDialog>(RankingChoices{}, watchlists); }},
        {"screening",
         [&] {
             return std::make_unique<ScreeningDialog>(ScreeningSettings{}, temp.str(), true,
                                                      watchlists, prompter, tools.shell);
         }},
        {"multi run",
         [&] {
             return std::make_unique<MultiRunDialog>(MultiRunSettings{}, temp.str(), true,
                                                     watchlists, prompter);
         }},
        {"portfolio",
         [&] {
             return std::make_unique<PortfolioDialog>(MultiRunSettings{}, temp.str(), true,
                                                      watchlists, prompter);
         }},
        {"result", [&] { return std::make_unique<SimulationResultDialog>(result, prompter); }},
        {"settings", [&] { return std::make_unique<SettingsSheetDialog>(sheet, prompter, store); }},
        {"strategy editor",
         [&] {
             return std::make_unique<StrategyEditorDialog>(temp.str(), 0, SimulationSettings{},
                                                           prompter, tools.shell);
         }},
        {"capsules",
         [&] { return std::make_unique<CapsuleDialog>(temp.str(), 0, prompter, tools.shell); }},
        {"csv import", [&] { return std::make_unique<CsvImportDialog>(workspace, 7203); }},
    };
    QStringList english;
    QStringList cut;
    for (const auto& [name, make] : dialogs) {
        const std::unique_ptr<QWidget> dialog = make();
        english << englishTexts(*dialog, name, false);
        cut << cutLabels(*dialog, name);
        std::string file = std::string("language_") + name;
        std::replace(file.begin(), file.end(), ' ', '_');
        test::shoot(*dialog, file.c_str());
    }
    EXPECT_TRUE(english.isEmpty()) << english.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
}

TEST_F(DialogLanguage, FrameworkChoosersAndBoxesAreJapanese) {
    // The colour chooser of the settings and the file dialogs of the report
    // and the CSV import come from the framework: its translation must be in.
    QStringList english;
    QColorDialog colour;
    colour.setOption(QColorDialog::DontUseNativeDialog);
    english << englishTexts(colour, "colour", true);
    test::shoot(colour, "language_colour_chooser");
    for (const auto mode : {QFileDialog::AcceptSave, QFileDialog::AcceptOpen}) {
        QFileDialog file;
        file.setOption(QFileDialog::DontUseNativeDialog);
        file.setAcceptMode(mode);
        english << englishTexts(file, "file", true);
        test::shoot(file,
                    mode == QFileDialog::AcceptSave ? "language_file_save" : "language_file_open");
    }

    // The message boxes, questions and the one-line input of the engine.
    QtPrompter boxes;
    const auto look = [&](const char* name) {
        QTimer::singleShot(0, [&english, name] {
            QWidget* open = QApplication::activeModalWidget();
            ASSERT_NE(open, nullptr) << name;
            english << englishTexts(*open, name, false);
            test::shoot(*open, (std::string("prompter_") + name).c_str());
            static_cast<QDialog*>(open)->reject();
        });
    };
    look("message");
    boxes.message("株価データは最新です。\n\n追加する日付はありません。", MessageIcon::Information);
    look("question");
    boxes.askYesNoCancel("よろしいですか？");
    look("input");
    boxes.askText("売買戦略追加", "売買戦略名", "");
    EXPECT_TRUE(english.isEmpty()) << english.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace tav::desktop
