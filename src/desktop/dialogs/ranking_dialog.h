#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "quotes/ranking.h"

class QComboBox;

namespace tav::desktop {

// "ランキング情報の取得": category, kind, market, period and the output
// watchlist. The kind list is refilled, first entry chosen, whenever the
// category changes. "実行" accepts; the caller runs the download.
class RankingDialog : public QDialog {
    Q_OBJECT
  public:
    RankingDialog(const RankingChoices& initial, const std::vector<std::string>& titles,
                  QWidget* parent = nullptr);

    RankingChoices choices() const;
    QComboBox* category() const { return category_; }
    QComboBox* kind() const { return kind_; }

  private:
    void fillKinds(int category, int selected);

    QComboBox* category_;
    QComboBox* kind_;
    QComboBox* market_;
    QComboBox* period_;
    QComboBox* output_;
};

}  // namespace tav::desktop
