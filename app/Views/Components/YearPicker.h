// The season chooser: a list picker over years, set up once so every caller gets the same labels and widths.
#pragma once

#include "app/Views/Components/ListPicker.h"

namespace huddlepod {

class YearPicker : public ListPicker<int> {
public:
    // The picked year goes to onSelect (empty: read-only); the caller passes the new year back with
    // setYear().
    YearPicker(int year, std::vector<int> selectableYears, std::function<void(int)> onSelect,
               QWidget* parent = nullptr);

    static ListPickerOptions pickerOptions();

    void setYear(int year) { setSelection(year); }
    void setSelectableYears(std::vector<int> years, int year) { setValues(std::move(years), year); }
};

} // namespace huddlepod
