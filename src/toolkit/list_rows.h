#pragma once
// Filling and reading a list box of many rows. The toolkit's list measures
// every row's text and tells its view of every row added, one by one; a
// library of 25,000 parts then takes a second to list. A list of many rows
// gets rows of one height (only the rows shown are laid out) and its rows
// added while the view looks away; selections are read and set by the
// selected rows only.
#include <string>
#include <vector>

class wxListBox;

// Rows from which a list takes the faster way.
constexpr size_t MANY_ROWS = 1000;

// Replaces the rows of the list.
void list_set_rows(wxListBox* list, const std::vector<std::string>& rows);
// Which rows are selected, one flag per row.
std::vector<bool> list_selected_rows(wxListBox* list);
// Selects exactly the rows flagged (rows past the flags: not selected).
void list_select_rows(wxListBox* list, const std::vector<bool>& selected);
