#include "data/stock_master.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/file_io.h"
#include "core/text.h"
#include "support/local_server.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/updates.h"

namespace tav {
namespace {

std::string sjis(const std::string& utf8) { return text::sjisFromUtf8(utf8); }

TEST(LookupSecurity, ReadsTheFirstMatchingLine) {
    std::string list = sjis(
        "7203,トヨタ自動車,東証1部,100,-\n"
        "1002,NYダウ,-,-,^DJI\r\n"
        "7203,重複,東証2部,1000,-\n"
        "6758,ソニー,0,0,-\n");
    SecurityInfo info;
    ASSERT_EQ(StockMaster::lookupIn(list, 7203, info), LookupResult::Found);
    EXPECT_EQ(info.name, "トヨタ自動車");
    EXPECT_EQ(info.market, "東証1部");
    EXPECT_EQ(info.unit, 100);
    EXPECT_EQ(info.symbol, "-");

    ASSERT_EQ(StockMaster::lookupIn(list, 1002, info), LookupResult::Found);
    EXPECT_EQ(info.market, "---");
    EXPECT_EQ(info.unit, 0);
    EXPECT_EQ(info.symbol, "^DJI");

    ASSERT_EQ(StockMaster::lookupIn(list, 6758, info), LookupResult::Found);
    EXPECT_EQ(info.market, "---");
    EXPECT_EQ(info.unit, 0);

    ASSERT_EQ(StockMaster::lookupIn(list, 9999, info), LookupResult::NotFound);
    EXPECT_EQ(info.name, "-----");
    EXPECT_EQ(info.market, "---");
    EXPECT_EQ(info.unit, 0);
    EXPECT_EQ(info.symbol, "");
}

TEST(LookupSecurity, MissingListClearsEveryOutput) {
    SecurityInfo info{"x", "y", 5, "z"};
    StockMaster master("/nonexistent/Stock.lst");
    EXPECT_EQ(master.lookupSecurity(1010, info), LookupResult::CannotOpen);
    EXPECT_EQ(info.name, "");
    EXPECT_EQ(info.market, "");
    EXPECT_EQ(info.unit, 0);
}

TEST(MasterList, UsableListsNeedCodesAndNames) {
    EXPECT_TRUE(isUsableMasterList(sjis("1301,極洋,東証1部,100,-\n\n7203,トヨタ,東証1部,100,-\n")));
    EXPECT_FALSE(isUsableMasterList(""));
    EXPECT_FALSE(isUsableMasterList("<html>not found</html>\n"));
    EXPECT_FALSE(isUsableMasterList("1301\n"));
}

class MasterEdits : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", list);
        workspace.initProgramFolder();
        tools.prompter.calls.clear();
    }
    std::string listNow() { return test::readFile(temp / "Stock.lst"); }

    std::string list = sjis("1301,極洋,東証1部,1000,-\n7203,トヨタ自動車,東証1部,100,-\n");
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(MasterEdits, AddWritesTheLineAndShowsTheNewCode) {
    ASSERT_TRUE(addSecurity(workspace, {6758, "ソニー", 1, 1}));
    EXPECT_EQ(listNow(), list + sjis("6758,ソニー,東証2部,100,-\n"));
    // Shown as any selection: without a file it is fetched (no server here).
    ASSERT_FALSE(tools.prompter.messages().empty());
    EXPECT_EQ(tools.prompter.messages().front(), "追加処理は正常に終了しました。");
    const auto& calls = tools.prompter.calls;
    const auto done = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
        return call.text == "追加処理は正常に終了しました。";
    });
    ASSERT_NE(done, calls.end());
    EXPECT_EQ(done->icon, MessageIcon::Information);  // a success is no warning
    EXPECT_EQ(workspace.series().code, 6758);
    EXPECT_EQ(workspace.security().name, "ソニー");

    // "その他" market is written as 東証; "その他" unit as "-".
    ASSERT_TRUE(addSecurity(workspace, {9999, "テスト", 7, 3}));
    ASSERT_TRUE(addSecurity(workspace, {9998, "テスト２", 0, 6}));
    EXPECT_TRUE(listNow().ends_with(sjis("9999,テスト,東証,1,-\n9998,テスト２,東証1部,-,-\n")));
}

TEST_F(MasterEdits, AddRefusesDuplicatesEmptyNamesCommasAndBadCodes) {
    EXPECT_FALSE(addSecurity(workspace, {7203, "", 0, 0}));  // duplicate wins over the empty name
    EXPECT_FALSE(addSecurity(workspace, {6758, "", 0, 0}));
    EXPECT_FALSE(addSecurity(workspace, {6758, "A,B", 0, 0}));
    EXPECT_FALSE(addSecurity(workspace, {0, "ゼロ", 0, 0}));
    EXPECT_FALSE(addSecurity(workspace, {6758, "😀", 0, 0}));
    ASSERT_EQ(tools.prompter.calls.size(), 5u);
    EXPECT_EQ(tools.prompter.calls[0].text, "この銘柄は銘柄情報リストに既に存在しています。");
    EXPECT_EQ(tools.prompter.calls[0].icon, MessageIcon::Warning);
    EXPECT_EQ(tools.prompter.calls[1].text, "銘柄名が指定されていません。");
    EXPECT_EQ(tools.prompter.calls[1].icon, MessageIcon::Stop);
    for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(tools.prompter.calls[i].icon, MessageIcon::Stop);
    EXPECT_EQ(listNow(), list);
}

TEST_F(MasterEdits, AddToAListWithoutFinalLineEnd) {
    test::writeFile(temp / "Stock.lst", "1301,A,-,-,-");
    ASSERT_TRUE(addSecurity(workspace, {1302, "B", 0, 0}));
    EXPECT_EQ(listNow(), "1301,A,-,-,-\n1302,B," + sjis("東証1部") + ",1000,-\n");
}

TEST_F(MasterEdits, DeleteRemovesEveryLineOfTheCodeAfterAsking) {
    test::writeFile(temp / "Stock.lst", list + sjis("7203,トヨタ重複,東証2部,100,-\n"));
    workspace.loadStoredSeries(7203);

    tools.prompter.answers = {Answer::No};
    EXPECT_FALSE(workspace.deleteSecurity());
    EXPECT_EQ(tools.prompter.questions().at(0),
              "銘柄情報リストから　[7203 トヨタ自動車]　を削除します。\n\nいったん削除したら元に戻"
              "せません。\n\nよろしいですか？");
    EXPECT_TRUE(listNow().find("7203") != std::string::npos);

    ASSERT_TRUE(workspace.deleteSecurity());
    EXPECT_EQ(listNow(), sjis("1301,極洋,東証1部,1000,-\n"));
    EXPECT_EQ(test::readFile(temp / "Stock.bak"), list + sjis("7203,トヨタ重複,東証2部,100,-\n"));
    EXPECT_EQ(tools.prompter.messages().back(), "削除処理は正常に終了しました。");

    EXPECT_FALSE(workspace.deleteSecurity());
    EXPECT_EQ(tools.prompter.messages().back(), "この銘柄は銘柄情報リストに存在していません。");
}

bool haveLha() { return std::system("command -v lha >/dev/null 2>&1") == 0; }

// An LZH archive of the given files, made with the lha command.
std::string makeArchive(const test::TempFolder& where, const std::map<std::string, std::string>& files) {
    std::filesystem::path work = where.path() / "archive-work";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    std::string names;
    for (const auto& [name, bytes] : files) {
        test::writeFile(work / name, bytes);
        names += " '" + name + "'";
    }
    std::string command = "cd '" + work.string() + "' && lha aq archive.lzh" + names + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    return test::readFile(work / "archive.lzh");
}

class MasterUpdate : public MasterEdits {
protected:
    void SetUp() override {
        if (!haveLha()) GTEST_SKIP() << "lha is not installed";
        test::writeFile(temp / "Endpoints.lst", "master-archive," + server.url("/dist/stock.lzh") + "\n");
        MasterEdits::SetUp();
    }
    test::LocalServer server;
    test::TempFolder scratch;
};

TEST_F(MasterUpdate, ReplacesTheListFromTheArchive) {
    std::string newList = sjis("1301,極洋,東証1部,100,-\n9984,ソフトバンクグループ,東証1部,100,-\n");
    server.serve("/dist/stock.lzh", makeArchive(scratch, {{"Stock.lst", newList}, {"readme.txt", "x"}}));
    ASSERT_TRUE(workspace.updateMasterFromArchive(false));
    EXPECT_EQ(listNow(), newList);
    EXPECT_EQ(test::readFile(temp / "Stock.bak"), list);
    EXPECT_FALSE(fileio::fileExists((temp / "readme.txt").string()));
    EXPECT_EQ(tools.prompter.questions().size(), 2u);
    EXPECT_EQ(tools.prompter.messages(), std::vector<std::string>{"更新処理を完了しました。"});
}

TEST_F(MasterUpdate, FailuresLeaveTheListByteIdentical) {
    // Not an archive (the server's not-found page), an archive without the
    // list, an archive whose list is junk, and a truncated archive.
    // Each says what went wrong.
    std::string good = makeArchive(scratch, {{"Stock.lst", list}});
    std::pair<std::string, std::string> cases[] = {
        {"", "解凍処理に失敗しました。"},
        {makeArchive(scratch, {{"other.txt", "x"}}),
         "ダウンロードしたファイルに銘柄情報リスト（Stock.lst）がありません。"},
        {makeArchive(scratch, {{"Stock.lst", "<html>"}}),
         "ダウンロードした銘柄情報リストの内容が正しくありません。"},
        {good.substr(0, good.size() / 2), "解凍処理に失敗しました。"}};
    for (const auto& [body, message] : cases) {
        server.serve("/dist/stock.lzh", body);
        tools.prompter.calls.clear();
        EXPECT_FALSE(workspace.updateMasterFromArchive(false));
        EXPECT_EQ(tools.prompter.messages(), std::vector<std::string>{message});
        EXPECT_EQ(listNow(), list);
    }
}

TEST_F(MasterUpdate, NoAnswersAndNoServer) {
    tools.prompter.answers = {Answer::No};
    EXPECT_FALSE(workspace.updateMasterFromArchive(false));
    EXPECT_EQ(server.hits("/dist/stock.lzh"), 0);

    // Shift or Ctrl opens the list in its editor.
    EXPECT_FALSE(workspace.updateMasterFromArchive(true));
    EXPECT_EQ(tools.shell.opened, std::vector<std::string>{temp.str() + "/Stock.lst"});

    test::TempFolder unreachable;
    test::writeFile(unreachable / "Stock.lst", list);
    test::writeFile(unreachable / "Endpoints.lst", "master-archive,http://127.0.0.1:1/stock.lzh\n");
    Workspace offline(ProgramFolder(unreachable.str()), tools.platform());
    offline.initProgramFolder();
    tools.prompter.calls.clear();
    EXPECT_FALSE(offline.updateMasterFromArchive(false));
    EXPECT_EQ(tools.prompter.messages(), std::vector<std::string>{"インターネットに接続できません。"});
    EXPECT_EQ(test::readFile(unreachable / "Stock.lst"), list);
}

}  // namespace
}  // namespace tav
