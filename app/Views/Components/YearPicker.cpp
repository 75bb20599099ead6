// The season picker's fixed configuration of the list picker.
#include "app/Views/Components/YearPicker.h"

namespace huddlepod {

ListPickerOptions YearPicker::pickerOptions() {
    ListPickerOptions options;
    options.accessibilityHint = QStringLiteral("Choose a season");
    options.listWidth = 74;
    options.monospaced = true;
    options.minLabelWidth = 34;
    options.showsScrollIndicator = true;
    options.reversedStepping = true;
    options.debugIdentity = QStringLiteral("year");
    return options;
}

YearPicker::YearPicker(int year, std::vector<int> selectableYears, std::function<void(int)> onSelect,
                       QWidget* parent)
    : ListPicker<int>(
          std::move(selectableYears), year, [](const int& value) { return QString::number(value); },
          [](const int& value) { return QStringLiteral("Season ") + QString::number(value); },
          pickerOptions(),
          onSelect ? Action([onSelect = std::move(onSelect)](const int& value) { onSelect(value); })
                   : Action(),
          parent) {}

} // namespace huddlepod
