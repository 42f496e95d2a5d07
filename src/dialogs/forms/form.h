#pragma once
// The plain form of a dialog: its rows (what the dialog holds, in the order
// it shows them) and one value per row, loaded from the configuration
// properties and stored back into them. No window is involved, so a
// dialog's load and store are tested without a display; FormDialog
// (dialogs/form_dialog.h) is the thin window that shows a form's rows as
// controls and copies values between the two.
//
// A row is a control (text, check box, choice, list), a fixed item (label,
// button), a layout step of the flow panels (new line, label position,
// spacings, sub-panels, second panel) or a button of the dialog's button
// column. A control row names its value by its field number (the form's
// own numbers, unique within a form) and may be bound to a property, which
// load and store then handle; what a binding cannot say (the ERC matrix,
// the field lists) the dialog's own code does on the values.
#include <string>
#include <vector>

enum class RowKind : unsigned char {
    // Controls: hold a value.
    TEXT,          // one-line text; `sample` is its first text, whose width sets the field's
    CHECK,         // check box
    CHOICE,        // drop-down list; `sample` holds its entries, one per line
    LIST,          // list box in which several lines can be selected; `min` x `max` pixels
    PICK,          // list box of `min` x `max` pixels in which one line is selected at a time
    RADIO,         // radio box; `sample` holds its entries, one per line, in `min` columns (0: one)
    BITMAP_RADIO,  // radio box of bitmaps (toolkit/bitmap_radio.h): `sample` holds the
                   // bitmap names, one per cell ("-name": a hidden cell), down columns of
                   // `min` cells
    // Fixed items.
    LABEL,   // a static text; with a field and a `sample`, a message showing the
             // value's text in a place as wide as the sample
    BUTTON,  // a button on the panel; a click reports `client`
    AREA,    // a blank panel of `min` x `max` pixels that the dialog's own code fills
    // Layout of the panels.
    NEW_LINE,       // next row; `min`: the height of a row left empty (0: 10 pixels)
    LABELS_ABOVE,   // labels stand above their items from here on
    LABELS_BESIDE,  // labels stand left of their items from here on
    SPACING,        // from here on `min` pixels between items, `max` between rows
    TAB,            // `min` pixels of horizontal space
    SKIP,           // `min` pixels of vertical space before the next row
    SUB_PANEL,      // the rows up to END_PANEL stand in a sub-panel, spacings `min`, `max`
    END_PANEL,
    SECOND_PANEL,  // the rows from here stand on the dialog's second user panel
    // The dialog's buttons.
    DIALOG_BUTTON,  // a button of the button column; a click reports `client`
    BUTTON_SPACE,   // `min` pixels before the next dialog button
};

// How a control's value travels to and from its property.
enum class Bind : unsigned char {
    NONE,
    FLAG,           // checked when the property is non-zero; stores 0 or 1
    FLAG_INVERTED,  // checked when the property is 0; stores 0 when checked, else 1
    TEXT,           // the property's text; stores the text as typed
    NUMBER,         // the value printed with "%d"; stores the text's leading number
    PROPOSED_NAME,  // the document's name with the suffix property `extra`; stores the text
    INDEX,          // entry (value - `extra`) selected; stores selection + `extra`
};

struct FormRow {
    RowKind kind;
    int field = 0;                // the form's number for the value; 0 for none
    const char* label = nullptr;  // static text
    long client = 0;              // the command id the item reports; 0 for none
    Bind bind = Bind::NONE;
    int property = 0;
    int extra = 0;                 // see Bind
    const char* sample = nullptr;  // see RowKind
    int min = 0, max = 0;          // see RowKind
    bool select_all = false;       // TEXT: shown with its whole text selected
};

// The cells of the two bitmap radio boxes of the dialogs: the orientation
// compass (three columns of three from the north-west, down each column;
// its centre hidden: the button indexes of orient_code_of_button) and the
// four quarter turns of a part (two columns of two).
constexpr const char* COMPASS_CELLS =
    "norwes\nwest\nsouwes\nnorth\n-north\nsouth\nnoreas\neast\nsoueas";
constexpr const char* ROTATION_CELLS = "part0\npart1\npart2\npart3";

struct FieldValue {
    int number = 0;                    // CHECK 0 or 1; CHOICE, RADIO the entry, -1 for none
    std::string text;                  // TEXT; a LABEL's message
    std::vector<std::string> entries;  // CHOICE, LIST, RADIO, BITMAP_RADIO
    std::vector<bool> selected;        // LIST: one flag per entry
    bool enabled = true;
};

// What a load needs to know of the program: the current document.
struct FormContext {
    bool has_document = false;
    std::string document_name;  // empty for a document never saved
};

class Form {
public:
    Form() = default;
    explicit Form(std::vector<FormRow> rows);

    const std::vector<FormRow>& rows() const { return rows_; }
    bool has(int field) const { return index_of(field) >= 0; }
    // The row and value of a field; asserts that the form has it.
    const FormRow& row(int field) const;
    FieldValue& value(int field);
    const FieldValue& value(int field) const;
    // The value of the row at a position of rows().
    FieldValue& value_at(size_t row) { return values_[row]; }
    const FieldValue& value_at(size_t row) const { return values_[row]; }

    int number(int field) const { return value(field).number; }
    const std::string& text(int field) const { return value(field).text; }
    void set_number(int field, int number) { value(field).number = number; }
    void set_text(int field, const std::string& text) { value(field).text = text; }
    // LIST: the entries, none selected.
    void set_entries(int field, std::vector<std::string> entries);
    bool selected(int field, size_t line) const;
    void select(int field, size_t line, bool on);
    // LIST, PICK: the first line selected, -1 for none; its text, "" for none.
    int picked(int field) const;
    std::string picked_entry(int field) const;

    // Every bound row from its property.
    void load(const FormContext& context);
    // Every bound row into its property.
    void store() const;

private:
    int index_of(int field) const;

    std::vector<FormRow> rows_;
    std::vector<FieldValue> values_;  // one per row
};

// The decimal number at the start of a text: leading blanks and a sign are
// allowed, digits are read up to the first other character; 0 when there
// are none. Beyond the range of int the nearest end of it.
int leading_number(const std::string& text);
