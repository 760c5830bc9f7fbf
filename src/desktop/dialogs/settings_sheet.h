#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "platform/prompter.h"
#include "settings/settings_sheet.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace tav {
class SettingsStore;
}

namespace tav::desktop {

// The colour page's swatches, painted at the page pixels of the layout; a
// click opens the colour chooser on the swatch's colour.
class ColourSwatches : public QWidget {
    Q_OBJECT
  public:
    ColourSwatches(SettingsSheet& sheet, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The chooser, replaceable so that tests need no modal dialog.
    std::function<std::optional<ColourRef>(ColourRef)> chooseColour;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    SettingsSheet& sheet_;
};

// The settings sheet: five pages over the SettingsSheet copies. OK closes
// only when every field is in range; the caller applies the sheet then.
class SettingsSheetDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsSheetDialog(SettingsSheet& sheet, Prompter& prompter, const SettingsStore& store,
                        QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    ColourSwatches* swatches() const { return swatches_; }
    QLineEdit* fieldEdit(SheetField field) const { return fieldEdits_[static_cast<int>(field)]; }
    QLineEdit* parameterEdit(ParameterGroup group, int field) const;
    QComboBox* periodChoice(ParameterGroup group) const;
    QListWidget* orderList() const { return orderList_; }
    QComboBox* dataSourceChoice() const { return dataSource_; }
    QComboBox* apiPlanChoice() const { return apiPlan_; }
    QLineEdit* apiKeyEdit() const { return apiKey_; }
    QLabel* apiKeyState() const { return apiKeyState_; }
    QPushButton* apiKeyRemoveButton() const { return apiKeyRemove_; }
    QPushButton* connectionTestButton() const { return connectionTest_; }
    QLabel* connectionTestResult() const { return connectionResult_; }

    // The data API's key actions of the 全般 page, given by the window:
    // the connection test (the typed key, else the stored one; the plan's
    // index) in plain words, and the removal of the stored key.
    std::function<std::string(const std::string& typedKey, int plan)> testConnection;
    std::function<bool()> removeKey;

    void accept() override;

  private:
    struct ParameterWidgets {
        ParameterPage* page = nullptr;
        QComboBox* period = nullptr;
        std::vector<QLineEdit*> edits;
        // Units of the period rows: bars of the period shown (日, 週 or 月).
        std::vector<QLabel*> periodUnits;
    };

    QWidget* generalPage();
    QWidget* colourPage();
    QWidget* displayPage();
    QWidget* parameterPage(ParameterWidgets& widgets, ParameterPage& page);
    QLineEdit* numberEdit(SheetField field, QWidget* parent);
    void addApiRows(QWidget* page, QGridLayout* grid, int& row);
    void showKeyState();

    void takeTexts();
    void showParameterFields(ParameterWidgets& widgets);
    void takeParameterFields(ParameterWidgets& widgets);
    void periodChosen(ParameterWidgets& widgets, int index);
    void refuse(int page, QLineEdit* edit, const std::string& message);
    void fillOrderList(int selected);

    SettingsSheet& sheet_;
    Prompter& prompter_;
    const SettingsStore& store_;
    QTabWidget* tabs_;
    ColourSwatches* swatches_ = nullptr;
    std::array<QLineEdit*, kSheetFieldCount> fieldEdits_{};
    QCheckBox* parabolic_ = nullptr;
    QCheckBox* turnMarks_ = nullptr;
    QCheckBox* alternative_ = nullptr;
    QListWidget* orderList_ = nullptr;
    QComboBox* dataSource_ = nullptr;
    QComboBox* apiPlan_ = nullptr;
    QLineEdit* apiKey_ = nullptr;
    QLabel* apiKeyState_ = nullptr;
    QPushButton* apiKeyRemove_ = nullptr;
    QPushButton* connectionTest_ = nullptr;
    QLabel* connectionResult_ = nullptr;
    ParameterWidgets chart_;
    ParameterWidgets indicator_;
};

}  // namespace tav::desktop
