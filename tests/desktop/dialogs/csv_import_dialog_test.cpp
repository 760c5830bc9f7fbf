#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/text.h"
#include "data/folder_lock.h"
#include "dialog_driving.h"
#include "dialogs/csv_import_dialog.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"

namespace tav::desktop {
namespace {

constexpr const char* kStored = "20240610,100,110,90,105,1000\n20240611,105,115,95,110,1100\n";

// One stored day with other prices, two new days, a day that is no calendar
// day and one after the clock's today (2024-06-14).
constexpr const char* kCsv =
    "Date,Open,High,Low,Close,Adj Close,Volume\n"
    "2024-06-11,1,1,1,1,1,1\n"
    "2024-06-12,110,120,100,115,57.5,1200\n"
    "2024-06-31,110,120,100,115,57.5,1200\n"
    "2024-06-13,115,125,105,120,60,1300\n"
    "2024-06-15,115,125,105,120,60,1300\n";

TEST(CsvImportDialog, PreviewsBeforeWritingAndMergesOnlyOnImport) {
    test::TempFolder temp;
    test::TestPlatform tools;
    test::writeFile(temp / "Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
    test::writeFile(temp / "url.lst", "");
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    workspace.initProgramFolder();
    const std::string data = (temp / "Data/7203.txt").string();
    test::writeFile(temp / "Data/7203.txt", kStored);
    test::writeFile(temp / "bars.csv", kCsv);
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    tools.prompter.calls.clear();

    const auto openOn = [&](Workspace& on) {
        auto dialog = std::make_unique<CsvImportDialog>(on, 7203);
        EXPECT_FALSE(dialog->importButton()->isEnabled());  // no file yet
        dialog->fileEdit()->setText(QString::fromStdString((temp / "bars.csv").string()));
        dialog->refreshPreview();
        return dialog;
    };

    {  // The preview and the count come before anything is written; cancel writes nothing.
        auto dialog = openOn(workspace);
        dialog->show();
        const std::string preview = dialog->preview()->toPlainText().toStdString();
        EXPECT_NE(preview.find("形式: yahoo (見出しあり)"), std::string::npos) << preview;
        EXPECT_NE(preview.find("株価: 3 件"), std::string::npos) << preview;
        EXPECT_NE(preview.find("20240612,110,120,100,115,1200"), std::string::npos) << preview;
        EXPECT_EQ(dialog->rejectedLabel()->text(), QStringLiteral("不正な行: 2 行 (取り込みません)"));
        EXPECT_TRUE(dialog->importButton()->isEnabled());
        test::shoot(*dialog, "csv_import_dialog");

        // A chosen layout goes to the engine as chosen.
        for (const auto& [index, name] : {std::pair{2, "形式: stooq"}, std::pair{3, "形式: plain"}}) {
            dialog->formatCombo()->setCurrentIndex(index);
            EXPECT_NE(dialog->preview()->toPlainText().toStdString().find(name), std::string::npos);
        }
        dialog->formatCombo()->setCurrentIndex(0);
        dialog->reject();
        EXPECT_EQ(test::readFile(data), kStored);
    }

    {  // A second instance holds the store read-only: refused, nothing written.
        test::TestPlatform otherTools;
        Workspace viewer{ProgramFolder(temp.str()), otherTools.platform()};
        viewer.initProgramFolder();
        ASSERT_FALSE(viewer.storeWritable());
        otherTools.prompter.calls.clear();
        auto dialog = openOn(viewer);
        dialog->importButton()->click();
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(otherTools.prompter.messages(), std::vector<std::string>{kFolderInUseMessage});
        EXPECT_EQ(test::readFile(data), kStored);
    }

    {  // Import adds the missing days, keeps the stored one and reloads the shown series.
        auto dialog = openOn(workspace);
        dialog->importButton()->click();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(test::readFile(data), std::string(kStored) +
                                              "20240612,110,120,100,115,1200\n"
                                              "20240613,115,125,105,120,1300\n");
        EXPECT_EQ(workspace.series().count(), 4);
        EXPECT_TRUE(tools.prompter.messages().empty());
    }
}

}  // namespace
}  // namespace tav::desktop
