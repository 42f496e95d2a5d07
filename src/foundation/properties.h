#pragma once
// Numbered configuration properties: every user setting of the program.
//
// Each property id (1..424) has an INI key, a value kind and a default
// (property_catalogue.cpp). Stored properties are mirrored in the INI file,
// section "TESSARON", one key per value (list element i under KEY_i);
// run-time-only properties have no section and never touch the file.
//
// Reading: proper_get (integers, flags, colours), strproper_get (texts),
// fproper_get (doubles). Writing: one variadic setter, taking id/value
// groups and ending at id 0:
//
//     proper_set(GRID_SIZE, 1000, ZOOM_CUT, 0.5, POWER_NAME, "Vcc", 0);
//     proper_set(ERC_TABLE, 2 * 17 + 2, 2, FIELD_NAME, 3, "Tolerance", 0);
//
// List ids take an index before the value; SYSTEM_FONT takes a font list.
// Every stored value is written to the INI file at once while
// config_write_flag is set. The arguments are checked at run time: a value
// of the wrong type for its id (a text for an integer property, a number
// for a text), an index outside the list, or an unknown id prints a debug
// warning and ends the call; nothing after it is stored.
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

struct List;
struct Font;

// Property ids, named by their INI keys.
enum PropertyId : int {
    NO_PROPERTY = 0,  // key "na"; ends the setter's argument list
    GRID_SIZE = 1,
    BAK_FILE = 2,
    VIS_SYST = 3,
    ADDCR_REPORTS = 4,
    STAY_GRID = 5,
    CURSOR = 6,
    SHOW_GRID = 7,
    PRINT_AUTOFIT = 8,
    ATTACH_FIELD = 9,
    TIPS_SHOW = 10,
    SHOW_PART_PALETTE = 11,
    DEFAULT_TEXTW = 12,
    ZOOM_CUT = 13,
    SPACING_RATIO = 14,
    ASPECT_RATIO = 15,
    SCAL_VIS_PART_FIELD = 16,
    SCAL_VIS_PIN_NUM = 17,
    SCAL_VIS_PIN_NAME = 18,
    SCAL_VIS_LABEL = 19,
    SCAL_VIS_TEXT = 20,
    SCAL_VIS_PORT = 21,
    SCAL_VIS_POWER = 22,
    SCAL_VIS_SHEET_NAME = 23,
    SCAL_VIS_SHEET_NET = 24,
    SCAL_VIS_TITLE = 25,
    RDELTA_X = 26,
    RDELTA_Y = 27,
    RDELTA_L = 28,
    RDELTA_AUTO = 29,
    SHOW_WERC = 30,
    SETUP_CURRENT_TAB = 31,
    SHOW_SCROLL = 32,
    SHOW_POWER = 33,
    DIR_CONFIG = 34,
    TEMPLATE_DOC_NUMBER = 35,
    TEMPLATE_REV_CODE = 36,
    TEMPLATE_TITLE = 37,
    TEMPLATE_ORG_NAME = 38,
    TEMPLATE_ORG_ADDR1 = 39,
    TEMPLATE_ORG_ADDR2 = 40,
    TEMPLATE_ORG_ADDR3 = 41,
    SHEET_SIZE = 42,
    TEMPLATE_ANSI_GRID = 43,
    TEMPLATE_ANSI_TITLE = 44,
    WIDTH_PARTBODY = 45,
    WIDTH_PINNUM = 46,
    WIDTH_PINNAME = 47,
    WIDTH_SHEETFILE = 48,
    WIDTH_WIRE = 49,
    WIDTH_BUS = 50,
    WIDTH_JUNCTION = 51,
    WIDTH_POWEROBJ = 52,
    WIDTH_POWERTXT = 53,
    WIDTH_SHEETBODY = 54,
    WIDTH_SHEETTXT = 55,
    WIDTH_SHEETNET = 56,
    WIDTH_PORT = 57,
    WIDTH_PORTTXT = 58,
    WIDTH_LABEL = 59,
    WIDTH_COMMENT = 60,
    WIDTH_DASHED = 61,
    WIDTH_TITLE = 62,
    WIDTH_TITLETXT = 63,
    WIDTH_ERROR = 64,
    WIDTH_NOCONNECT = 65,
    WIDTH_LAYOUT = 66,
    NB_PART_PALETTE = 67,
    SIZE_SHEETW = 68,
    SIZE_SHEETH = 69,
    PARTPAL_SIZE = 70,
    FONT_PINNUM = 71,
    FONT_PINNAME = 72,
    FONT_PARTREF = 73,
    FONT_PARTVAL = 74,
    FONT_USERFIELD = 75,
    FONT_POWERTXT = 76,
    FONT_SHEETNAME = 77,
    FONT_SHEETNET = 78,
    FONT_MODULETXT = 79,
    FONT_LABEL = 80,
    FONT_COMMENT = 81,
    FONT_TITLE = 82,
    FONT_BORDERTXT = 83,
    FONT_PARTPAL = 84,
    FAST_LOAD = 86,
    POWER_TYPE = 87,
    POWER_NAME = 88,
    MULTIWIRE_DELTA = 89,
    MULTIWIRE_NB = 90,
    PART_PALETTE_LIB = 91,
    PART_PALETTE_PART = 92,
    PORT_NAME = 93,
    PORT_TYPE = 94,
    NET_NAME = 95,
    NET_TYPE = 96,
    MIN_SHEETW = 97,
    MIN_SHEETH = 98,
    PART_PALETTE_CONV = 99,
    POWER_NAME_ON = 100,
    POWER_SENS = 101,
    PORT_SENS = 102,
    CURSOR_IN_SHEET = 103,
    AUTO_CLEANUP = 104,
    SAVE_CONFIG_ON_EXIT = 105,
    FILE1 = 106,
    FILE2 = 107,
    FILE3 = 108,
    FILE4 = 109,
    FILE5 = 110,
    DEFAULT_JUNC_STYLE = 111,
    DEFAULT_JUNC_WIDTH = 112,
    TEXT_ADD_SCALING = 113,
    DASH_STYLE = 114,
    EDIT_MODE = 115,
    SHOW_FRAME_TOOLBAR = 116,
    GRID_STYLE = 117,
    GRID_THICK = 118,
    SHOW_POWER_LOCAL = 119,
    MOUSE_PLANE = 120,
    GHOST_PLANE = 121,
    PAINT_FILLED = 122,
    GEOMETRY = 123,
    WIRE_SELECTION = 124,
    MDI_MODE = 125,
    LAST_WIDTH = 126,
    LAST_HEIGHT = 127,
    ERC_TABLE = 128,
    BACK_HIER = 129,
    BACK_VERBOSE = 130,
    BACK_OUTFILE = 131,
    COMPIL_VERBOSE = 132,
    COMPIL_OUTFILE = 133,
    DECOMP_VERBOSE = 134,
    DECOMP_OUTFILE = 135,
    LIBARCH_VERBOSE = 136,
    LIBARCH_OUTFILE = 137,
    LIBLIST_VERBOSE = 138,
    LIBLIST_OUTFILE = 139,
    ANNO_VERBOSE = 140,
    ANNO_HIER = 141,
    ANNO_OUTFILE = 142,
    ANNO_KEEP = 143,
    ANNO_UNCOND = 144,
    BOM_VERBOSE = 145,
    BOM_HIER = 146,
    BOM_WIDTH = 147,
    BOM_HEIGHT = 148,
    BOM_MERGE = 149,
    BOM_MERGEFILE = 150,
    BOM_OUTFILE = 151,
    MINUTES_BACK = 152,
    NB_BACK = 153,
    VISIBLE_PINNUM = 154,
    VISIBLE_PINNAME = 155,
    VISIBLE_POWERTXT = 156,
    VISIBLE_SHEETNAME = 157,
    VISIBLE_SHEETNET = 158,
    VISIBLE_LABEL = 159,
    VISIBLE_TEXT = 160,
    VISIBLE_PORTTXT = 161,
    PARTSCH_VERBOSE = 162,
    PARTSCH_HIER = 163,
    PARTSCH_OUTFILE = 164,
    VISIBLE_IEEE = 165,
    VISIBLE_TITLETXT = 169,
    NETERC_VERBOSE = 175,
    NETERC_HIER = 176,
    NETERC_OUTFILE = 177,
    NETFMT_HIER = 179,
    NETFMT_VERBOSE = 180,
    NETFMT_OUTFILE = 181,
    SDT_VERBOSE = 182,
    SDT_SCHEMA = 183,
    SDT_LIBRARY = 184,
    SDT_LIBFILE = 185,
    SDT_OUTFILE = 186,
    KEEP_LOG_OPENED = 187,
    CLEAR_LOGFILE = 188,
    CLEAR_LOGWINDOW = 189,
    LOGFILE = 190,
    LOG_WIDTH = 191,
    LOG_HEIGHT = 192,
    SDT_HIER = 193,
    LIB1 = 194,
    LIB2 = 195,
    LIB3 = 196,
    LIB4 = 197,
    LIB5 = 198,
    LIBARCH_HIER = 199,
    SDT_AUTOOPEN = 200,
    SHOW_FLOATING_ICONS = 201,
    TEMPLATE_NAME = 202,
    TEMPLATE_ORG_ADDR4 = 203,
    TEMPLATE_ORG_ADDR5 = 204,
    TEMPLATE_CREAT_DATE = 205,
    TEMPLATE_MODIF_DATE = 206,
    TEMPLATE_USER_FNAME = 207,
    TEMPLATE_USER_LNAME = 208,
    TEMPLATE_FOLIO = 209,
    TEMPLATE_NBFOLIO = 210,
    TEMPLATE_USR1 = 211,
    TEMPLATE_USR2 = 212,
    TEMPLATE_USR3 = 213,
    TEMPLATE_USR4 = 214,
    TEMPLATE_USR5 = 215,
    TEMPLATE_USR6 = 216,
    TEMPLATE_USR7 = 217,
    TEMPLATE_USR8 = 218,
    TEMPLATE_USR9 = 219,
    TEMPLATE_USR10 = 220,
    TPL1 = 221,
    TPL2 = 222,
    TPL3 = 223,
    TPL4 = 224,
    TPL5 = 225,
    SHOW_ERCERR = 226,
    VISIBLE_WIRE = 227,
    VISIBLE_BUSE = 228,
    VISIBLE_POWER = 229,
    VISIBLE_SHEET = 230,
    VISIBLE_JUNC = 231,
    VISIBLE_PORT = 232,
    VISIBLE_BORDER = 233,
    VISIBLE_TMPL = 234,
    VISIBLE_PART = 235,
    VISIBLE_NOCON = 236,
    VISIBLE_DRAW = 237,
    TPL_TEXT_XSCAL = 239,
    TPL_TEXT_YSCAL = 240,
    TPL_TEXT_XMIR = 241,
    TPL_TEXT_YMIR = 242,
    TPL_TEXT_BOX = 243,
    TPL_TEXT_AUTO = 244,
    TPL_TEXT_ORIENT = 245,
    TEXT_TEXT = 246,
    TEXT_XSCAL = 247,
    TEXT_YSCAL = 248,
    TEXT_XMIR = 249,
    TEXT_YMIR = 250,
    TEXT_BOX = 251,
    TEXT_TYPE = 252,
    TEXT_ORIENT = 253,
    IEEE_XSCAL = 254,
    IEEE_YSCAL = 255,
    IEEE_XMIR = 256,
    IEEE_YMIR = 257,
    IEEE_BOX = 258,
    IEEE_TYPE = 259,
    IEEE_ORIENT = 260,
    PIN_NAME = 261,
    PIN_REF = 262,
    PIN_TYPE = 263,
    PIN_SHAPE = 264,
    SHEET_NAME = 265,
    SHEET_FILE = 266,
    PVIS_DESCEND = 267,
    PVIS_SCAL = 268,
    SDT_SCHFILE = 269,
    NETFMT_FORMAT = 270,
    NETFMT_FIELD = 271,
    PAINT_AS_PLOTTED = 272,
    LOGPRINT_DEVICE_NAME = 273,
    LOGPRINT_VERSION = 274,
    LOGPRINT_DVERSION = 275,
    LOGPRINT_SIZE = 276,
    LOGPRINT_EXTRA = 277,
    LOGPRINT_FIELD = 278,
    LOGPRINT_ORIENT = 279,
    LOGPRINT_PAPERS = 280,
    LOGPRINT_PAPERL = 281,
    LOGPRINT_PAPERW = 282,
    LOGPRINT_SCALE = 283,
    LOGPRINT_COPIES = 284,
    LOGPRINT_DEFAULT = 285,
    LOGPRINT_QUALITY = 286,
    LOGPRINT_COLOR = 287,
    LOGPRINT_DUPLEX = 288,
    LOGPRINT_RESOL = 289,
    LOGPRINT_OPTION = 290,
    LOGPRINT_COLLATE = 291,
    LOGPRINT_FORM = 292,
    LOGPRINT_PAD = 293,
    LOGPRINT_BITS = 294,
    LOGPRINT_PELW = 295,
    LOGPRINT_PELH = 296,
    LOGPRINT_DISFLAG = 297,
    LOGPRINT_DISFREQ = 298,
    PRINT_VIS_PINNUM = 299,
    PRINT_VIS_PINNAME = 300,
    PRINT_VIS_POWER = 301,
    PRINT_VIS_SHEETNAME = 302,
    PRINT_VIS_SHEETNET = 303,
    PRINT_VIS_GRID = 304,
    PRINT_VIS_BORDER = 305,
    PRINT_VIS_TMPL = 306,
    PRINT_VIS_COMMENT = 307,
    PRINT_VIS_COMMAND = 308,
    PRINT_VIS_TEXT = 309,
    PRINT_VIS_IEEE = 310,
    PLACE_CONVERTED = 311,
    PLACE_VPOWER = 312,
    ICONS_X_POS = 313,
    ICONS_Y_POS = 314,
    AUTOPAN = 315,
    SHORTCUT_ALL = 316,
    PORT_AUTO = 317,
    TEXT_AUTO = 318,
    AUTOPAN_ENABLE = 319,
    EXT_CONFIG = 320,
    EXT_SLB = 321,
    EXT_CLB = 322,
    EXT_ORCLIB = 323,
    EXT_REPORT = 324,
    EXT_LIBLIST = 325,
    EXT_ASC = 326,
    EXT_ORCNET = 327,
    EXT_ORCSCH = 328,
    EXT_LOG = 329,
    EXT_SCHEMA = 330,
    EXT_TMPL = 331,
    EXT_ATPL = 332,
    EXT_NETLIST = 333,
    EXT_NETFMT = 334,
    EXT_NETERC = 335,
    EXT_BOM = 336,
    EXT_ANNOT = 337,
    EXT_BAN = 338,
    EXT_MPL = 339,
    EXT_STUFF = 340,
    DIR_PROJECT = 341,
    DIR_LIBRARY = 342,
    FIND_CASE = 343,
    FIND_JOKER = 344,
    INTERNAL_FONT = 346,
    NB_SYSTEM_FONTS = 347,
    SYSTEM_FONT = 348,
    NETPROP_TRACKWIDTH = 362,
    NETPROP_ISOLATION = 363,
    NETPROP_VIASIZE = 364,
    NETPROP_VIADRILL = 365,
    NETPROP_SLAYER = 366,
    NETPROP_DLAYER = 367,
    NETPROP_NETTYPE = 368,
    NB_FIELD_NAME = 369,
    FIELD_NAME = 370,
    VISIBLE_FIELDS = 371,
    PRINT_VIS_FIELDS = 372,
    ANNOTATE_FIELDS = 373,
    BOM_FIELDS = 374,
    PARTFIELD_WIDTH = 375,
    DEVNAMES_DRIVER = 376,
    DEVNAMES_DEVICE = 377,
    DEVNAMES_OUTPUT = 378,
    LOCAL_PINNUM_VISIBLE = 379,
    LOCAL_PINNAME_VISIBLE = 380,
    COMPSHEET_VERBOSE = 381,
    COMPSHEET_HIER = 382,
    COMPSHEET_OUTFILE = 383,
    COMPTMPL_VERBOSE = 384,
    COMPTMPL_OUTFILE = 385,
    DECOMPTMPL_VERBOSE = 386,
    DECOMPTMPL_OUTFILE = 387,
    PRINT_XOFF = 388,
    PRINT_YOFF = 389,
    NB_STDLIB = 390,
    LIBS = 391,
    NB_LIB = 392,
    THE_LIB = 393,
    NB_PROJ = 394,
    THE_PROJ = 395,
    COLOR_FILM = 396,
    COLOR_GRID = 397,
    COLOR_BACKG = 398,
    COLOR_PARTBODY = 399,
    COLOR_PINNUM = 400,
    COLOR_PINNAME = 401,
    COLOR_SHEETFILE = 402,
    COLOR_WIRE = 403,
    COLOR_BUS = 404,
    COLOR_JUNCTION = 405,
    COLOR_POWEROBJ = 406,
    COLOR_POWERTXT = 407,
    COLOR_SHEETBODY = 408,
    COLOR_SHEETTXT = 409,
    COLOR_SHEETNET = 410,
    COLOR_PORT = 411,
    COLOR_PORTTXT = 412,
    COLOR_LABEL = 413,
    COLOR_COMMENT = 414,
    COLOR_DASHED = 415,
    COLOR_TITLE = 416,
    COLOR_TITLETXT = 417,
    COLOR_ERROR = 418,
    COLOR_NOCONNECT = 419,
    COLOR_LAYOUT = 420,
    COLOR_BORDER = 421,
    COLOR_TAG = 422,
    COLOR_POWPIN = 423,
    COLOR_PARTFIELD = 424,
};

// The reserved numbers: a key in the catalogue and no value. No part of the
// program asks for them; they are not property ids, so that a getter given
// one does not build (tests that check the refusal of an id without a value
// convert them).
enum class ReservedProperty : int {
    SIZE_YBORDERW = 85,
    FVIEW_HIER = 170,
    FVIEW_OUTFILE = 171,
    NETCOMP_VERBOSE = 172,
    NETCOMP_HIER = 173,
    NETCOMP_OUTFILE = 174,
    NETLNK_VERBOSE = 178,
    VISIBLE_IEEE_RESERVED = 238,
    CURRENT_POLICE = 345,
    FONT_ESCAPE = 349,
    FONT_ORIENT = 350,
    FONT_WEIGHT = 351,
    FONT_ITALIC = 352,
    FONT_UNDER = 353,
    FONT_STRIKE = 354,
    FONT_CHARSET = 355,
    FONT_OUTPRECIS = 356,
    FONT_CLIPPRECIS = 357,
    FONT_QUALITY = 358,
    FONT_PITCH = 359,
    FONT_TYPEFACE = 360,
    FONT_POINT_SIZE = 361,
};

constexpr int PROPERTY_COUNT = 424;

// ---------------------------------------------------------------------------
// The catalogue

enum class PropKind : uint8_t {
    NONE,         // no value: reserved or unassigned number
    FLAG,         // signed byte, 0 or non-zero; "True"/"False"
    BYTE,         // signed 8 bits
    WORD,         // signed 16 bits
    INT,          // signed 32 bits
    DOUBLE,       // "%f"
    COLOUR,       // 0x00BBGGRR; "RGB( %3d, %3d, %3d)"
    TEXT,         // fixed buffer of `size` bytes including the end mark
    TEXT_LIST,    // `size` slots of heap texts or none
    FLAG_LIST,    // `size` signed bytes
    INT_LIST,     // `size` 32-bit integers
    BYTE_LIST,    // `size` unsigned bytes (ERC_TABLE)
    COLOUR_LIST,  // `size` colours
    FONT_LIST,    // system_fonts
};

struct PropertyInfo {
    const char* key;  // static text, not owned
    PropKind kind;
    uint16_t size;             // text capacity in bytes, or number of list slots
    bool stored;               // kept in the INI file (section "TESSARON")
    int32_t int_default;       // scalar kinds; the fill value of flag and int lists
    double real_default;       // DOUBLE
    const char* text_default;  // TEXT; static text, not owned
};

// The catalogue entry of an id; ids outside 0..424 get the entry of id 0.
const PropertyInfo& property_info(int id);
// True for list kinds, which take an index.
bool property_is_list(PropKind kind);

// Key table: {key, section or none} for ids 0..424, filled by config_init_keys.
struct ProperKey {
    const char* key;      // static text, not owned
    const char* section;  // static text, not owned; null for none
};
extern ProperKey proper_keys[PROPERTY_COUNT + 1];
void config_init_keys();

// Sheet sizes by SHEET_SIZE index 0..10 (widths, heights).
extern const int32_t default_sheet_widths[11];
extern const int32_t default_sheet_heights[11];
// Default ERC matrix, 17 x 17 classes, cell a * 17 + b: 0 none, 1 warning, 2 error.
extern const uint8_t default_erc_matrix[17 * 17];

// ---------------------------------------------------------------------------
// State

// While 1 every value stored by proper_set is written to the INI file.
extern uint8_t config_write_flag;
// Set by config_find_ini; config_load_all does nothing while it is 0.
extern uint8_t ini_found;
// The system font list (property SYSTEM_FONT): a List of Font records, or none.
extern List* system_fonts;

// The INI file all reads and writes use: "Quib.ini" (in the user's
// configuration directory) unless start-up named another.
const char* config_ini_name();
void set_config_ini_name(const char* name);

// ---------------------------------------------------------------------------
// Getters

// Flag, byte, word (sign-extended), int and colour properties; list ids
// 68, 69, 99, 128, 371-375 and 424 take an index. ERC_TABLE elements come
// back 0..255. Unknown ids, text and double ids and indexes outside the
// list give 0 with a debug warning; SYSTEM_FONT gives 0 silently.
int32_t proper_get(int id, int index = -1);
// Text properties; text lists take an index and never give none for a
// valid index (an empty slot gets an empty heap text). Unknown ids and bad
// indexes give none with a debug warning. The text lives in the block
// until the property changes.
const char* strproper_get(int id, int index = -1);
// ZOOM_CUT, SPACING_RATIO, ASPECT_RATIO and PVIS_SCAL; others 0.0 with a warning.
double fproper_get(int id);

// ---------------------------------------------------------------------------
// Setter

// One argument of proper_set: an integer (any integral or enum type), a
// double, a text or a font list.
class PropArg {
public:
    enum class Type : uint8_t { INTEGER, REAL, TEXT, FONT_LIST };

    template <class T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>) PropArg(T v)
        : type_(Type::INTEGER), integer_(static_cast<int64_t>(v)) {}
    PropArg(double v) : type_(Type::REAL), real_(v) {}
    PropArg(float v) : type_(Type::REAL), real_(v) {}
    PropArg(const char* v) : type_(Type::TEXT), text_(v) {}
    PropArg(const std::string& v) : type_(Type::TEXT), text_(v.c_str()) {}
    PropArg(List* v) : type_(Type::FONT_LIST), list_(v) {}
    PropArg(std::nullptr_t) : type_(Type::TEXT), text_(nullptr) {}  // an empty text

    Type type() const { return type_; }
    int64_t integer() const { return integer_; }
    double real() const { return real_; }
    const char* text() const { return text_; }
    List* list() const { return list_; }

private:
    Type type_;
    int64_t integer_ = 0;
    double real_ = 0.0;
    const char* text_ = nullptr;  // not owned: the caller's text, alive for the call
    List* list_ = nullptr;        // not owned: the caller's font list
};

// Stores id/value groups until id 0 (or the end of the arguments).
void proper_set_args(const PropArg* args, size_t count);

template <class... Args>
void proper_set(const Args&... args) {
    if constexpr (sizeof...(Args) > 0) {
        const PropArg list[] = {PropArg(args)...};
        proper_set_args(list, sizeof...(Args));
    }
}

// Stores like proper_set without writing the INI file: a live value that a
// later proper_set (or nothing) makes lasting.
template <class... Args>
void proper_set_live(const Args&... args) {
    const uint8_t writing = config_write_flag;
    config_write_flag = 0;
    proper_set(args...);
    config_write_flag = writing;
}

// A copy of property values held in memory (texts and list slots copied),
// put back by restore() without writing the INI file: what Cancel of a
// settings dialog returns to. What was written to the INI file meanwhile
// stays written.
class PropertySnapshot {
public:
    // Every property that holds a value.
    PropertySnapshot();
    // Only these ids.
    explicit PropertySnapshot(const std::vector<int>& ids);
    ~PropertySnapshot();
    PropertySnapshot(const PropertySnapshot&) = delete;
    PropertySnapshot& operator=(const PropertySnapshot&) = delete;

    void restore() const;
    // The saved values of these ids become their values now (what was
    // stored for good is what a later restore returns to).
    void retake(const std::vector<int>& ids);

    struct Saved;

private:
    std::vector<Saved> saved_;
};

// ---------------------------------------------------------------------------
// INI access

// One raw value of the INI file (KEY, or KEY_index when index is not -1);
// none for a run-time-only id, an absent or empty key, or the value
// "default" (any case). The text lives in a 120-byte buffer until the next call.
const char* config_read_value(const char* file, int id, int index);
// Loads one property, or one list element, from the INI file into the
// block; 1 when a value was stored. SYSTEM_FONT rebuilds the font list.
int get_config_value(int id, int index = -1);
// Loads every stored property (only when ini_found); returns 0.
int config_load_all();
// Sets ini_found: the INI file holds DIR_PROJECT or any other setting of
// its section (a settings file is read before anything is written into
// it), or (unless "-conf" named the INI file) a "Quib.ini" beside the
// program holds DIR_PROJECT, which then becomes the INI file.
void config_find_ini(const char* program_path);

// The file `name` in the directory of `path`: the name replaces what
// follows the last '/', '\' or ':'; a path without one (or with one only
// as its first character) gives ".\" and the name.
std::string file_beside(const char* path, const char* name);

int config_parse_flag(const char* text);
int32_t config_parse_rgb(const char* text);
// A new Font from the FONT form, or none when it does not match.
Font* config_parse_font(const char* text);
void config_load_system_fonts();
// Writes the fonts that the font properties use as SYSTEM_FONT_k and sets
// NB_SYSTEM_FONTS.
void config_write_system_fonts(List* fonts);
bool is_config_font(const Font* font);
bool font_list_has(List* fonts, const Font* font);

// Writers: each returns at once while config_write_flag is 0 or when the
// id has no section.
void config_write_bool(int id, int value);
void config_write_int(int id, int32_t value);
void config_write_double(int id, double value);
void config_write_colour(int id, int32_t colour);
void config_write_text(int id, const char* text);
void config_write_text_at(int id, int index, const char* text);
void config_write_bool_at(int id, int index, int value);
void config_write_int_at(int id, int index, int32_t value);
void config_write_colour_at(int id, int index, int32_t colour);
void config_delete_value(int id, int index);

// Text forms of the value kinds.
std::string config_format_double(double value);
std::string config_format_colour(int32_t colour);
std::string config_format_font(const Font* font);

// ---------------------------------------------------------------------------
// Lifecycle

void config_set_size_defaults();
void config_set_erc_defaults();
// Every default value, with config_write_flag cleared; the INI file is untouched.
void config_set_defaults();
// Construction: installs the utility hooks and sets the defaults. The
// program's start-up calls init_Libraries after it.
void config_init();
// Start-up: conf (may be none or empty) names the INI file to use instead
// of "Quib.ini"; finds the INI file, attaches the colour table, loads
// everything. 0, or 1 when the INI file is there but cannot be read: its
// settings are the defaults then, and the file is never written over.
int config_startup(const char* conf, const char* program_path);
// Frees the heap texts of the text lists and the system font list.
void config_free();
