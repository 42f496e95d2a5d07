#pragma once
// The window of a form: an EnhancedDialog whose items are made from the
// form's rows (dialogs/forms/form.h), one item per control row, laid out by the
// layout rows on the flow panels, with the dialog buttons of the rows in its
// button column. Fill shows the form's values in the items, Read takes the
// items' values back into the form; nothing else moves between the two.
//
// Every button, and every control row with a client word, reports that
// word to the dialog's command handler (the family's handler: the process
// dialogs' is process_command). A control reports only what the user did:
// Fill never makes one report.
#include <functional>
#include <string>
#include <vector>

#include "dialogs/forms/form.h"
#include "toolkit/enhanced_dialog.h"

class wxWindow;

class FormDialog : public EnhancedDialog {
public:
    using Command = std::function<void(long client)>;

    FormDialog(wxWindow* parent, const char* title, const char* window_name, long style, bool modal,
               Form form, Command command, OnClose on_close);

    Form& form() { return form_; }
    const Form& form() const { return form_; }

    // Makes the items and buttons of every row. The caller may add items of
    // its own afterwards, then calls Fit.
    void BuildRows();
    // The form's values into the items. The first filling also selects the
    // whole text of the rows that ask for it and gives the first of them the
    // focus; a later one (after the form changed under an action) leaves
    // the focus and the selections to the user.
    void Fill(bool initial = true);
    // The items' values into the form.
    void Read();

    // The item of a field, or null.
    wxWindow* Item(int field) const;
    // The button (on a panel or in the button column) with that client
    // word, or null.
    wxWindow* ButtonFor(long client) const;

private:
    Form form_;
    Command command_;
    std::vector<wxWindow*> items_;  // one per row; null for layout rows
    // The entries each list row shows (a list of many is not read back to
    // compare).
    std::vector<std::vector<std::string>> listed_;
};
