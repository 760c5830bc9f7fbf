#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <span>

#include "window/window_layout.h"

class QAbstractButton;
class QComboBox;
class QWidget;

namespace tav::desktop {

enum class ToolbarRow { Top, Bottom, List };

struct ButtonSpec {
    int id;
    const char* label;  // the label at start-up; some are relabelled later
    ToolbarRow row;
    const char* tip;         // names the command (and its keys) on hovering
    bool checkable = false;  // shown pressed while its mode or watch runs
};

// Every push button of the window, in left-to-right order per row.
std::span<const ButtonSpec> toolbarButtons();

// The push buttons and the strategy drop-down of the main window. Clicking a
// button emits `command` with its id; the window does the routing.
class Toolbar : public QObject {
    Q_OBJECT
  public:
    explicit Toolbar(QWidget* window);

    QAbstractButton* button(int id) const;
    QComboBox* strategySelector() const { return strategy_; }
    void setLabel(int id, const QString& label);
    QString label(int id) const;
    void setEnabled(int id, bool enabled);
    void setChecked(int id, bool checked);

    // Places the rows: the first along the top strip, the second along the
    // bottom strip, the list buttons where the layout puts them.
    void place(const WindowLayout& layout, int width, int height, bool watchlistShown);
    // The narrowest window that still shows both rows whole.
    int requiredWidth() const;

  signals:
    void command(int id);

  private:
    QWidget* window_;
    std::map<int, QAbstractButton*> buttons_;
    QComboBox* strategy_;
};

}  // namespace tav::desktop
