#include "condition_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "conditions/condition_text.h"
#include "dialogs/dialog_buttons.h"
#include "integer_edit.h"
#include "labels_combo.h"

namespace tav::desktop {

using Edit = ConditionEditor::Edit;

ConditionDialog::ConditionDialog(const Condition& record, ConditionContext context,
                                 std::vector<std::string> capsuleTitles, Prompter& prompter,
                                 QWidget* parent)
    : QDialog(parent),
      editor_(record, context),
      capsuleTitles_(std::move(capsuleTitles)),
      prompter_(prompter),
      tabs_(new QTabBar(this)),
      pages_(new QStackedWidget(this)),
      role_(new QComboBox(this)),
      day_(nullptr),
      sentence_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("売買パターン追加"));
    for (std::string_view tab : editor_.categoryTabs())
        tabs_->addTab(QString::fromUtf8(tab.data(), static_cast<qsizetype>(tab.size())));

    auto page = [this] {
        auto* w = new QWidget(pages_);
        w->setLayout(new QFormLayout);
        pages_->addWidget(w);
        return w;
    };
    auto row = [](QWidget* p, const char* label, QWidget* control) {
        static_cast<QFormLayout*>(p->layout())->addRow(QString::fromUtf8(label), control);
    };
    QWidget* p0 = page();
    row(p0, "項目", list(1059, p0));
    row(p0, "対象", list(1060, p0));
    row(p0, "動作", list(1057, p0));
    row(p0, "n", edit(1119, Edit::PriceN, p0));
    row(p0, "±m%", edit(1056, Edit::PricePercent, p0));
    row(p0, "±L 呼値", edit(1064, Edit::PriceTicks, p0));
    QWidget* p1 = page();
    row(p1, "項目", list(1061, p1));
    row(p1, "対象", list(1062, p1));
    row(p1, "動作", list(1058, p1));
    row(p1, "n", edit(1055, Edit::IndicatorN, p1));
    QWidget* p2 = page();
    row(p2, "項目", list(1069, p2));
    row(p2, "値", edit(1070, Edit::Value, p2));
    row(p2, "比較", list(1072, p2));
    row(p2, "範囲", edit(1071, Edit::Range, p2));
    QWidget* p3 = page();
    row(p3, "項目", list(1073, p3));
    row(p3, "n", edit(1074, Edit::CandleN, p3));
    QWidget* p4 = page();
    row(p4, "項目", list(1075, p4));
    row(p4, "状態", list(1063, p4));
    if (editor_.categoryTabs().size() > 5) {
        QWidget* p5 = page();
        row(p5, "条件カプセル", list(1076, p5));
    }

    day_ = integerEdit(ConditionEditor::field(Edit::Day), editor_.dayOffset, this);
    edits_.emplace_back(day_, Edit::Day);
    controls_.emplace_back(1109, day_);
    connect(day_, &QLineEdit::textChanged, this, [this] { readEdits(); });
    fillCombo(role_, editor_.roleList(), editor_.roleIndex());
    connect(role_, &QComboBox::currentIndexChanged, this, [this](int index) {
        editor_.setRoleIndex(index);
        refill();
    });
    connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) {
        if (filling_) return;
        editor_.setCategory(tab);
        refill();
    });

    auto* head = new QFormLayout;
    head->addRow(QStringLiteral("性質"), role_);
    auto* dayRow = new QHBoxLayout;
    dayRow->addWidget(day_);
    dayRow->addWidget(new QLabel(QStringLiteral("日前（0は今日）"), this));
    dayRow->addStretch();
    head->addRow(QStringLiteral("判断基準日"), dayRow);
    sentence_->setObjectName(QStringLiteral("sentence"));
    sentence_->setFrameShape(QFrame::StyledPanel);
    sentence_->setWordWrap(true);
    sentence_->setMinimumHeight(40);
    auto* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(pages_);
    layout->addLayout(head);
    layout->addWidget(sentence_);
    layout->addWidget(buttons);
    setMinimumWidth(480);
    refill();
}

QComboBox* ConditionDialog::list(int id, QWidget* page) {
    auto* combo = new QComboBox(page);
    combo->setObjectName(QStringLiteral("c%1").arg(id));
    combo->setMinimumWidth(260);
    controls_.emplace_back(id, combo);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, id](int index) {
        if (filling_ || index < 0) return;
        switch (id) {
            case 1059: editor_.setPriceItem(index); break;
            case 1060: editor_.price.target = index; break;
            case 1057: editor_.price.action = index; break;
            case 1061: editor_.setIndicatorItem(index); break;
            case 1062: editor_.indicator.target = index; break;
            case 1058: editor_.indicator.action = index; break;
            case 1069: editor_.setValueItem(index); break;
            case 1072: editor_.value.comparison = index; break;
            case 1073: editor_.candle.item = index; break;
            case 1075: editor_.setMovementItem(index); break;
            case 1063: editor_.movement.state = index; break;
            case 1076: editor_.capsule = index; break;
            default: break;
        }
        refill();
    });
    return combo;
}

QLineEdit* ConditionDialog::edit(int id, Edit which, QWidget* page) {
    auto* line = integerEdit(ConditionEditor::field(which), editor_.number(which), page);
    line->setObjectName(QStringLiteral("e%1").arg(id));
    controls_.emplace_back(id, line);
    edits_.emplace_back(line, which);
    connect(line, &QLineEdit::textChanged, this, [this] { readEdits(); });
    return line;
}

QWidget* ConditionDialog::control(int id) const {
    for (const auto& [key, widget] : controls_)
        if (key == id) return widget;
    return nullptr;
}

QString ConditionDialog::sentence() const {
    return sentence_->text();
}

void ConditionDialog::readEdits() {
    if (filling_) return;
    // Partial input (an empty edit, a lone sign) keeps the last good number.
    for (const auto& [line, which] : edits_)
        editor_.setNumber(which, line->text().toStdString());
    sentence_->setText(QString::fromStdString(
        conditionText(editor_.result(), editor_.context(), capsuleTitles_)));
}

void ConditionDialog::refill() {
    filling_ = true;
    const ConditionEditor& e = editor_;
    tabs_->setCurrentIndex(e.category());
    pages_->setCurrentIndex(e.category());
    auto combo = [this](int id) { return static_cast<QComboBox*>(control(id)); };
    fillCombo(combo(1059), conditions::itemLabels(0), e.price.item);
    fillCombo(combo(1060), e.priceTargets(), e.price.target);
    fillCombo(combo(1057), e.priceActions(), e.price.action);
    fillCombo(combo(1061), conditions::itemLabels(1), e.indicator.item);
    fillCombo(combo(1062), e.indicatorTargets(), e.indicator.target);
    fillCombo(combo(1058), e.indicatorActions(), e.indicator.action);
    fillCombo(combo(1069), conditions::itemLabels(2), e.value.item);
    fillCombo(combo(1072), e.valueComparisons(), e.value.comparison);
    fillCombo(combo(1073), conditions::itemLabels(3), e.candle.item);
    fillCombo(combo(1075), conditions::itemLabels(4), e.movement.item);
    fillCombo(combo(1063), e.movementStates(), e.movement.state);
    if (QComboBox* capsules = combo(1076)) fillCombo(capsules, capsuleTitles_, e.capsule);
    control(1055)->setEnabled(e.indicatorNEditable());
    control(1071)->setEnabled(e.valueRangeEditable());
    control(1074)->setEnabled(e.candleNEditable());
    filling_ = false;
    readEdits();
}

void ConditionDialog::accept() {
    for (const auto& [line, which] : edits_)
        if ((line == day_ || line->parentWidget() == pages_->currentWidget()) &&
            line->isEnabled() && !readIntegerEdit(line, ConditionEditor::field(which), prompter_)) {
            line->setFocus();
            return;
        }
    QDialog::accept();
}

}  // namespace tav::desktop
