#pragma once
// The pages of the Preferences sheet without their windows.
//
// Every control of a page is bound to a configuration property: the page
// is filled from the properties when it is made, each change in a control
// goes at once into the live value (not into the INI file), Apply stores
// the current page's properties in the INI file and runs its side effects,
// OK stores every page that was opened and runs the side effects of all,
// Cancel puts back the values the sheet opened with (or the last Apply
// left).
//
// The plain pages (Drawing, Visible at Scale, Selection Filter, Misc.) are
// tables of rows that the window turns into controls; the other pages
// (Text Prop., Object Props., Attribute Names, File Locations) have their
// own operations below. What a page asks of the program (reloading the
// views, the current document's sheet size, the autosave timer, the
// palette) goes through PrefsHost, so that tests run the pages without a
// display.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/properties.h"

struct Font;

enum PrefsPage : int {
    PAGE_FILE_LOCATIONS = 0,
    PAGE_DRAWING = 1,
    PAGE_TEXT = 2,
    PAGE_OBJECTS = 3,
    PAGE_VISIBLE = 4,
    PAGE_ATTRIBUTES = 5,
    PAGE_SELECT = 6,
    PAGE_MISC = 7,
    PREFS_PAGE_COUNT = 8,
};

// The help context of each page, and of the Load Part sheet.
long prefs_page_help(int page);
constexpr long LOAD_PART_HELP = 670;

// --- what the pages ask of the program --------------------------------------------------------
class PrefsHost {
public:
    virtual ~PrefsHost() = default;
    // The views of every window take the drawing options again.
    virtual void reload_view_options() {}
    // The current document's sheet size, or -1 without a document.
    virtual int document_sheet_size() { return -1; }
    // The current document takes that sheet size (its border rebuilt) and
    // is marked modified.
    virtual void set_document_sheet_size(int size) { (void)size; }
    virtual void autosave_stop() {}
    virtual void autosave_start() {}
    // The main frame's part palette takes its new size.
    virtual void resize_palette() {}
    // The current document's power symbols are rebuilt in their new width.
    virtual void power_symbols_refresh() {}
    virtual void bell() {}
};

// --- the rows of the plain pages ----------------------------------------------------------------
enum class PrefItem : uint8_t {
    GROUP,      // a titled box holding the rows up to its END_GROUP
    END_GROUP,  //
    COLUMNS,    // the groups up to END_COLUMNS stand side by side, a NEXT_COLUMN apart
    NEXT_COLUMN,
    END_COLUMNS,
    CHECK,   // check box
    RADIO,   // radio button; consecutive ones bound to one property form a group
    EDIT,    // one-line text with its label beside it
    CHOICE,  // drop-down list (`entries`, one per line) with its label beside it
    BUTTON,  // a button; `id` is its command
    NOTE,    // a line of explaining text
};

enum class PrefBind : uint8_t {
    NONE,
    FLAG,          // checked when the property is non-zero
    NOT_FLAG,      // checked when the property is 0
    BIT,           // checked when the property holds the bit `value`
    VALUE,         // a radio button checked when the property equals `value`
    ZOOM,          // a ZOOM_CUT radio button for `value` percent
    NUMBER,        // "%d"; the leading number of the text
    TEXT,          // the property's text
    INDEX,         // the entry property - `value` is chosen
    SHEET_TYPE,    // the sheet size shown: the document's, else SHEET_SIZE
    SHEET_WIDTH,   // SIZE_SHEETW of the sheet size shown
    SHEET_HEIGHT,  // SIZE_SHEETH of the sheet size shown
};

struct PrefRow {
    PrefItem item;
    int id = 0;              // the control's id, unique on its page
    const char* label = "";  // static text
    PrefBind bind = PrefBind::NONE;
    int property = 0;
    int32_t value = 0;              // see PrefBind
    const char* entries = nullptr;  // CHOICE: one per line
    int enabled_by = 0;             // a flag property that enables the control, or 0
};

// The rows of a plain page (Drawing, Visible at Scale, Selection Filter,
// Misc.); empty for the other pages.
const std::vector<PrefRow>& prefs_page_rows(int page);
// The row of that id on a page, or null.
const PrefRow* prefs_row(int page, int id);

// What a control shows.
struct PrefValue {
    int number = 0;  // CHECK and RADIO 0/1, CHOICE the entry (-1: none)
    std::string text;
    bool enabled = true;
};

// The state of an open sheet beside the live properties: what the Misc.
// page shows and what it has to do.
struct PrefsState {
    int sheet_type = 0;  // the sheet size the Misc. page shows
    bool sheet_size_changed = false;
    bool palette_size_changed = false;
    bool power_width_changed = false;  // Object Props.: the power objects' width
    bool opened[PREFS_PAGE_COUNT] = {};
    // The current directories when the sheet opened (only a changed one
    // has to exist).
    std::string project_at_open, library_at_open;
};

PrefValue prefs_row_value(const PrefRow& row, const PrefsState& state);
// The user changed a control: its value goes into the live property. True
// when the page must be filled again (other controls follow the change).
bool prefs_row_changed(const PrefRow& row, int number, const std::string& text, PrefsState* state);

// Control ids of the plain pages that the window handles itself.
enum : int {
    VIS_SELECT_ALL = 1047,
    VIS_DESELECT_ALL = 1048,
    SELECT_ALL = 1026,
    DESELECT_ALL = 1027,
    MISC_BAK_FILE = 1015,
    MISC_LOG_FILE = 1013,
    MISC_BROWSE = 1014,
};

// --- the sheet ------------------------------------------------------------------------------------
// The Preferences sheet from opening to OK or Cancel.
class PrefsSheet {
public:
    explicit PrefsSheet(PrefsHost& host);
    ~PrefsSheet();

    PrefsState& state() { return state_; }
    // A page was made: it is filled from the properties now.
    void page_fill(int page);
    // A button of a plain page (Select All, De-Select All); true when the
    // page must be filled again.
    bool page_command(int page, int id);
    // Apply on the current page: its properties go into the INI file, its
    // side effects run, and Cancel returns to this state from now on.
    void apply(int page);
    // OK: every opened page stored, then the side effects of every page.
    void ok();
    // Every page that was opened stores its properties in the INI file.
    void apply_tab_pages();
    // The side effects of every page; the snapshot is let go.
    void prefs_finish_pages();
    // Cancel: the values of the opening or of the last Apply come back.
    void sheet_cancel();

private:
    // A page's properties into the INI file / the page's side effects.
    void page_apply(int page);
    void prefs_page_finish(int page);
    // The values Cancel returns to: taken at the opening and at each Apply.
    void props_snapshot();
    void props_restore();
    void props_snapshot_free();

    PrefsHost& host_;
    PrefsState state_;
    std::unique_ptr<PropertySnapshot> snapshot_;
};

// --- conversions ---------------------------------------------------------------------------------
// The Zoom Cut Factor button of a ZOOM_CUT value: the number of the
// thresholds 0.5, 1, 2, 4, 8, 16, 32, 64 that it reaches (0 for "25%").
int zoom_cut_position(double zoom_cut);

// The 17 line widths of the Size choices, in points: 0.25, 0.5, 0.75, 1,
// 1.5, 2, 2.5, then 3 .. 12.
constexpr int WIDTH_CHOICES = 17;
double width_choice_points(int index);
// "%4.2f" of the points.
std::string width_choice_label(int index);
// The entry of a width (world units: 10000 per inch): the first of 0..6
// whose points + 0.1 exceed the width's, else the nearest whole point.
int width_choice_index(int32_t width);
// The width of an entry: truncate(points x 10000 / 72).
int32_t width_from_choice(int index);

// --- Text Prop. -----------------------------------------------------------------------------------
struct TextKind {
    const char* label;
    int font_property;
    int visible_property;  // 0: "N/A"
    int visible_index;     // -1 for a scalar property
    int colour_property;
    int colour_index;  // -1 for a scalar property
};
constexpr int TEXT_KIND_COUNT = 13;
extern const TextKind TEXT_KINDS[TEXT_KIND_COUNT];

// "Yes", "No" or "N/A".
std::string text_visible_cell(int row);
// The font id of a row's kind.
int text_kind_font(int row);
// The description of the row's font: the built-in font for the low ids,
// else the record of the program's font list (resolved, and marked in use).
std::string text_font_describe(int row);
uint32_t text_kind_colour(int row);
// The user chose a font for a row: the row's kind takes it, and a font
// chosen for the first row ("Pin Number") goes to every other kind still on
// the built-in font, "Border Text" excepted.
void text_kind_set_font(int row, int font_id);
// The user chose "Yes" (0) or "No" (1); nothing for a row without one.
void text_kind_set_visible(int row, int choice);
void text_kind_set_colour(int row, uint32_t rgb);

// The colour of a page's colour control: 800 + row for the Text Prop.
// rows, the swatch ids of Object Props.; 0 for another id, which takes
// nothing.
constexpr int TEXT_COLOUR_FIRST = 800;
uint32_t colour_of_control(int id);
void colour_of_control_set(int id, uint32_t rgb);

// --- Object Props. ----------------------------------------------------------------------------------
struct ObjectKind {
    const char* label;
    int visible_id, visible_property;  // 0: none
    int colour_id, colour_property;
    int size_id, width_property;  // 0: none
};
constexpr int OBJECT_KIND_COUNT = 16;
extern const ObjectKind OBJECT_KINDS[OBJECT_KIND_COUNT];
// The user chose a width entry for a row (the power objects' width flag).
void object_kind_set_width(int row, int index, PrefsState* state);

// --- Attribute Names --------------------------------------------------------------------------------
// The user's attribute names: FIELD_NAME slots 2 .. NB_FIELD_NAME - 1.
constexpr int FIELD_NAME_SLOTS = 256;
std::vector<std::string> user_field_names();
// Appends a name; false (the list holds 256 names, or the text is empty)
// when nothing changed.
bool field_name_add(const std::string& name);
// The user's name at `row` (0 = slot 2) removed / renamed; false when
// nothing changed.
bool field_name_delete(int row);
bool field_name_rename(const std::string& name, int row);

// --- File Locations ----------------------------------------------------------------------------------
struct DirectoryList {
    int count_property;      // NB_PROJ / NB_LIB
    int list_property;       // THE_PROJ / THE_LIB
    int directory_property;  // DIR_PROJECT / DIR_LIBRARY
};
extern const DirectoryList PROJECT_DIRECTORIES;
extern const DirectoryList LIBRARY_DIRECTORIES;
constexpr int DIRECTORY_SLOTS = 256;
std::vector<std::string> directory_list(const DirectoryList& list);
enum class DirAdd { ADDED, LISTED, FULL };
// The directory becomes the current one of its kind and is appended to
// the list unless listed already (ignoring case); a full list takes
// nothing (the directory stays current).
DirAdd dir_list_add(const DirectoryList& list, const std::string& path);
// Removes entry `index`; the current directory becomes the entry now at
// that place, else the one before it, else "". False for no such entry.
bool dir_list_delete(const DirectoryList& list, int index);
// The next name of a path at the cursor, the separators before it skipped,
// and the cursor moved past it; none at the end.
std::optional<std::string> path_next_component(const char** cursor);
// The File Locations page refuses to be left while a current directory
// the user changed does not exist (OK then says "Some specified
// Directories does not Exist.").
bool file_locations_valid(const PrefsState& state);
