#pragma once

#include <QComboBox>
#include <span>
#include <string>
#include <string_view>

namespace tav::desktop {

// Refills a combo box with engine labels and selects `current` (the first
// item when it is out of range), without emitting change signals.
inline void fillCombo(QComboBox* combo, std::span<const std::string_view> labels, int current) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (std::string_view label : labels)
        combo->addItem(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
    combo->setCurrentIndex(current >= 0 && current < combo->count() ? current : 0);
}

inline void fillCombo(QComboBox* combo, std::span<const std::string> labels, int current) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const std::string& label : labels) combo->addItem(QString::fromStdString(label));
    combo->setCurrentIndex(current >= 0 && current < combo->count() ? current : 0);
}

}  // namespace tav::desktop
