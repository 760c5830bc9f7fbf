#include "conditions/capsule_set.h"

#include <algorithm>

#include "conditions/capsule_file.h"
#include "conditions/condition_text.h"
#include "core/file_io.h"
#include "core/text.h"
#include "platform/title_prompt.h"

namespace tav {

namespace {

constexpr const char* kAddDialog = "条件カプセル追加";
constexpr const char* kRenameDialog = "条件カプセル変更";
constexpr const char* kTitleLabel = "カプセル名";
constexpr const char* kSameCapsule = "送り手と受け手が同じです。";
constexpr const char* kNothingToCopy = "複写元には設定がありません。";
constexpr const char* kCopyQuestion =
    "カプセルの設定内容を複写します。複写先の内容が失われます。\n\nよろしいですか？";
constexpr const char* kTooManyRows = "1つのカプセルに登録できる条件は20個までです。";

std::string initialiseQuestion(const std::string& title) {
    return "[ " + title +
           " ] "
           "の内容を初期化します。\n\nカプセル内全てのサインが消去されます。\n\nよろしいですか？";
}

std::string deleteQuestion(const std::string& title) {
    return "[" + title + "] を削除します。\n\n一度削除すると元へ戻せません。\n\nよろしいですか？";
}

const ConditionCapsule kNoCapsule{};

}  // namespace

NumberedListStore capsuleListStore(const std::string& folder) {
    NumberedListStore store;
    store.folder = folder;
    store.fileOf = [](int k) { return capsuleFileName(k); };
    store.titleName = kCapsuleTitleFileName;
    store.spareName = kCapsuleSwapFileName;
    store.readTitles = [folder] { return readCapsuleTitles(folder); };
    return store;
}

CapsuleSet::CapsuleSet(std::string folder, Prompter& prompter)
    : folder_(std::move(folder)), prompter_(prompter), list_(capsuleListStore(folder_)) {}

std::string CapsuleSet::path(int capsule) const {
    return list_.path(capsule);
}

std::string CapsuleSet::titleFilePath() const {
    return fileio::joinPath(folder_, kCapsuleTitleFileName);
}

std::string CapsuleSet::currentFileName() const {
    return current_ < 0 ? std::string() : capsuleFileName(current_);
}

std::string CapsuleSet::currentFilePath() const {
    return current_ < 0 ? std::string() : path(current_);
}

const std::string& CapsuleSet::title() const {
    return titles()[static_cast<std::size_t>(current_)];
}

const ConditionCapsule& CapsuleSet::capsule() const {
    return current_ < 0 ? kNoCapsule : capsule_;
}

ConditionCapsule* CapsuleSet::editable() {
    return current_ < 0 ? nullptr : &capsule_;
}

void CapsuleSet::open(int first) {
    list_.reload();
    capsule_ = ConditionCapsule{};
    current_ = -1;
    changed_ = false;
    if (count() > 0) select(std::clamp(first, 0, count() - 1));
}

bool CapsuleSet::save() {
    ConditionCapsule* record = editable();
    if (!record || !changed_) return true;
    if (!writeCapsuleFile(path(current_), *record)) {
        tellCannotWrite(prompter_, capsuleFileName(current_));
        return false;
    }
    changed_ = false;
    return true;
}

bool CapsuleSet::close() {
    const bool saved = save();
    capsule_ = ConditionCapsule{};
    list_.reload();
    current_ = -1;
    return saved;
}

void CapsuleSet::select(int capsule) {
    if (capsule < 0 || capsule >= count()) return;
    save();
    current_ = capsule;
    capsule_ = readCapsuleFile(path(capsule));
    changed_ = false;
}

void CapsuleSet::select(int capsule, bool alternate, Shell& shell) {
    select(capsule);
    if (alternate) shell.open(titleFilePath());
}

void CapsuleSet::chooseRow(bool alternate, Shell& shell) const {
    if (alternate && current_ >= 0) shell.open(currentFilePath());
}

bool CapsuleSet::listNotWritten() {
    tellCannotWrite(prompter_, kCapsuleTitleFileName);
    return false;
}

bool CapsuleSet::askTitle(const char* dialogTitle, const std::string& preset, std::string& title) {
    auto input = askListTitle(prompter_, dialogTitle, kTitleLabel, preset, kMaxCapsuleTitleBytes);
    if (!input) return false;
    title = *input;
    return true;
}

bool CapsuleSet::addCapsule() {
    std::string title;
    if (!askTitle(kAddDialog, "", title)) return false;
    save();
    if (!list_.append(title)) return listNotWritten();
    capsule_ = ConditionCapsule{};
    current_ = count() - 1;
    changed_ = false;
    return true;
}

bool CapsuleSet::renameCapsule() {
    if (current_ < 0) return false;
    std::string title;
    if (!askTitle(kRenameDialog, this->title(), title)) return false;
    return list_.rename(current_, title) || listNotWritten();
}

bool CapsuleSet::copyCapsuleTo(int target) {
    if (current_ < 0 || target < 0 || target >= count()) return false;
    if (target == current_) {
        prompter_.message(kSameCapsule, MessageIcon::Stop);
        return false;
    }
    // The file is what is copied: the edits so far go into it first.
    if (!save()) return false;
    if (!fileio::fileExists(path(current_))) {
        prompter_.message(kNothingToCopy, MessageIcon::Stop);
        return false;
    }
    if (!prompter_.askYesNo(kCopyQuestion)) return false;
    if (list_.copyFile(current_, target)) return true;
    tellCannotWrite(prompter_, capsuleFileName(target));
    return false;
}

bool CapsuleSet::initialiseCapsule() {
    ConditionCapsule* record = editable();
    if (!record) return false;
    if (!prompter_.askYesNo(initialiseQuestion(title()), QuestionKind::Destructive)) return false;
    *record = ConditionCapsule{};
    changed_ = true;
    return true;
}

bool CapsuleSet::deleteCapsule() {
    if (current_ < 0) return false;
    const int deleted = current_;
    if (!prompter_.askYesNo(deleteQuestion(title()), QuestionKind::Destructive)) return false;
    if (!list_.remove(deleted)) return listNotWritten();
    // The edits of the capsule that went are dropped with it.
    changed_ = false;
    current_ = -1;
    capsule_ = ConditionCapsule{};
    if (count() > 0) select(std::min(deleted, count() - 1));
    return true;
}

bool CapsuleSet::moveCapsule(int from, int to) {
    if (!list_.valid(from) || !list_.valid(to)) return false;
    // The files move, so the edits must be in the file that moves.
    if (!save()) return false;
    if (!list_.swap(from, to)) return listNotWritten();
    current_ = to;
    return true;
}

bool CapsuleSet::moveCapsuleUp() {
    return current_ > 0 && moveCapsule(current_, current_ - 1);
}

bool CapsuleSet::moveCapsuleDown() {
    return current_ >= 0 && current_ + 1 < count() && moveCapsule(current_, current_ + 1);
}

bool CapsuleSet::canAddRow() {
    if (!editable()) return false;
    if (capsule().rowCount >= kMaxCapsuleRows) {
        prompter_.message(kTooManyRows, MessageIcon::Stop);
        return false;
    }
    return true;
}

bool CapsuleSet::addRow(const Condition& row) {
    if (!canAddRow()) return false;
    ConditionCapsule& record = *editable();
    record.rows[static_cast<std::size_t>(record.rowCount++)] = row;
    changed_ = true;
    return true;
}

bool CapsuleSet::editRow(int row, const Condition& condition) {
    ConditionCapsule* record = editable();
    if (!record || row < 0 || row >= record->rowCount) return false;
    record->rows[static_cast<std::size_t>(row)] = condition;
    changed_ = true;
    return true;
}

bool CapsuleSet::deleteRow(int row) {
    ConditionCapsule* record = editable();
    if (!record || row < 0 || row >= record->rowCount) return false;
    if (record->rowCount == 1) {
        *record = ConditionCapsule{};
    } else {
        auto rows = record->rows.begin();
        std::move(rows + row + 1, rows + record->rowCount, rows + row);
        record->rows[static_cast<std::size_t>(--record->rowCount)] = Condition{};
    }
    changed_ = true;
    return true;
}

bool CapsuleSet::moveRowUp(int row) {
    ConditionCapsule* record = editable();
    if (!record || record->rowCount < 2 || row < 1 || row >= record->rowCount) return false;
    std::swap(record->rows[static_cast<std::size_t>(row)],
              record->rows[static_cast<std::size_t>(row - 1)]);
    changed_ = true;
    return true;
}

bool CapsuleSet::moveRowDown(int row) {
    ConditionCapsule* record = editable();
    if (!record || record->rowCount < 2 || row < 0 || row + 1 >= record->rowCount) return false;
    const auto at = static_cast<std::size_t>(row);
    std::swap(record->rows[at], record->rows[at + 1]);
    changed_ = true;
    return true;
}

bool CapsuleSet::setLogic(int16_t logic) {
    ConditionCapsule* record = editable();
    if (!record || !logicAvailable() || record->logic == logic) return false;
    record->logic = logic;
    changed_ = true;
    return true;
}

std::vector<std::string> CapsuleSet::rowTexts() const {
    std::vector<std::string> texts;
    const ConditionCapsule& record = capsule();
    texts.reserve(static_cast<std::size_t>(std::max<int>(record.rowCount, 0)));
    for (int i = 0; i < record.rowCount; ++i)
        texts.push_back(
            conditionText(record.rows[static_cast<std::size_t>(i)], ConditionContext::Capsule));
    return texts;
}

}  // namespace tav
