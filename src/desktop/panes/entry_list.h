#pragma once

#include <QColor>
#include <QListWidget>
#include <cstdint>

class QLabel;

namespace tav::desktop {

// The text colour of an entry mark, invalid for "no mark". Marks 1-4 are red,
// blue, purple and teal.
QColor markColour(uint8_t mark);

// The entry list of the watchlist pane: a list box whose entries keep their
// mark colour also when selected, with a caption strip above the entries (the
// title of the watchlist shown, its file name on hovering; nothing for a
// market). Hovering the entries shows what the mark colours mean.
class EntryList : public QListWidget {
    Q_OBJECT
  public:
    explicit EntryList(QWidget* parent);

    void setCaption(const QString& caption, const QString& tip = {});
    QString caption() const;
    void setMark(int row, uint8_t mark);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeCaption();

    QLabel* caption_;
};

}  // namespace tav::desktop
