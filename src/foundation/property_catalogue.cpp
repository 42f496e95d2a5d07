// The property catalogue: key, kind, storage and default of every id, the
// sheet-size table and the default ERC matrix.
#include "foundation/properties.h"

namespace {

constexpr PropertyInfo entry(const char* key, PropKind kind, uint16_t size, bool stored,
                             int32_t i = 0, double d = 0.0, const char* t = nullptr) {
    return PropertyInfo{key, kind, size, stored, i, d, t};
}

// Stored kinds.
constexpr PropertyInfo flag(const char* k, int32_t d) {
    return entry(k, PropKind::FLAG, 0, true, d);
}
constexpr PropertyInfo byte(const char* k, int32_t d) {
    return entry(k, PropKind::BYTE, 0, true, d);
}
constexpr PropertyInfo word(const char* k, int32_t d) {
    return entry(k, PropKind::WORD, 0, true, d);
}
constexpr PropertyInfo integer(const char* k, int32_t d) {
    return entry(k, PropKind::INT, 0, true, d);
}
constexpr PropertyInfo real(const char* k, double d) {
    return entry(k, PropKind::DOUBLE, 0, true, 0, d);
}
constexpr PropertyInfo colour(const char* k, int32_t d) {
    return entry(k, PropKind::COLOUR, 0, true, d);
}
constexpr PropertyInfo text(const char* k, uint16_t cap, const char* d) {
    return entry(k, PropKind::TEXT, cap, true, 0, 0.0, d);
}
constexpr PropertyInfo text_list(const char* k, uint16_t n) {
    return entry(k, PropKind::TEXT_LIST, n, true);
}
constexpr PropertyInfo flag_list(const char* k, uint16_t n, int32_t d) {
    return entry(k, PropKind::FLAG_LIST, n, true, d);
}
constexpr PropertyInfo int_list(const char* k, uint16_t n, int32_t d) {
    return entry(k, PropKind::INT_LIST, n, true, d);
}
constexpr PropertyInfo byte_list(const char* k, uint16_t n) {
    return entry(k, PropKind::BYTE_LIST, n, true);
}
constexpr PropertyInfo colour_list(const char* k, uint16_t n) {
    return entry(k, PropKind::COLOUR_LIST, n, true);
}
constexpr PropertyInfo font_list(const char* k) { return entry(k, PropKind::FONT_LIST, 0, true); }

// Run-time-only kinds: a value for the running program, no INI key.
constexpr PropertyInfo run_time_flag(const char* k, int32_t d) {
    return entry(k, PropKind::FLAG, 0, false, d);
}
constexpr PropertyInfo run_time_integer(const char* k, int32_t d) {
    return entry(k, PropKind::INT, 0, false, d);
}
constexpr PropertyInfo run_time_text(const char* k, uint16_t cap, const char* d) {
    return entry(k, PropKind::TEXT, cap, false, 0, 0.0, d);
}
// The jobs' output file names live only while the program runs and hold a
// whole path: a document deep in the folders proposes a name longer than a
// stored setting's text, and a shorter one would name another file.
constexpr uint16_t OUTPUT_NAME_SIZE = 4096;
constexpr PropertyInfo run_time_text_list(const char* k, uint16_t n) {
    return entry(k, PropKind::TEXT_LIST, n, false);
}

// A reserved number: a key, no section, no value.
constexpr PropertyInfo reserved(const char* k) { return entry(k, PropKind::NONE, 0, false); }
// A number no property has.
constexpr PropertyInfo unassigned() { return entry("na", PropKind::NONE, 0, false); }

// Indexed by id.
constexpr PropertyInfo catalogue[PROPERTY_COUNT + 1] = {
    /* 0 */ unassigned(),
    /* 1 */ integer("GRID_SIZE", 1000),
    /* 2 */ byte("BAK_FILE", 1),
    /* 3 */ byte("VIS_SYST", 0),
    /* 4 */ flag("ADDCR_REPORTS", 0),
    /* 5 */ flag("STAY_GRID", 1),
    /* 6 */ byte("CURSOR", 2),
    /* 7 */ flag("SHOW_GRID", 1),
    /* 8 */ flag("PRINT_AUTOFIT", 0),
    /* 9 */ byte("ATTACH_FIELD", 0),
    /* 10 */ flag("TIPS_SHOW", 1),
    /* 11 */ flag("SHOW_PART_PALETTE", 0),
    /* 12 */ integer("DEFAULT_TEXTW", 600),
    /* 13 */ real("ZOOM_CUT", 0.5),
    /* 14 */ real("SPACING_RATIO", 1.0),
    /* 15 */ real("ASPECT_RATIO", 1.5),
    /* 16 */ flag("SCAL_VIS_PART_FIELD", 1),
    /* 17 */ flag("SCAL_VIS_PIN_NUM", 0),
    /* 18 */ flag("SCAL_VIS_PIN_NAME", 0),
    /* 19 */ flag("SCAL_VIS_LABEL", 0),
    /* 20 */ flag("SCAL_VIS_TEXT", 1),
    /* 21 */ flag("SCAL_VIS_PORT", 0),
    /* 22 */ flag("SCAL_VIS_POWER", 1),
    /* 23 */ flag("SCAL_VIS_SHEET_NAME", 1),
    /* 24 */ flag("SCAL_VIS_SHEET_NET", 0),
    /* 25 */ flag("SCAL_VIS_TITLE", 1),
    /* 26 */ integer("RDELTA_X", 0),
    /* 27 */ integer("RDELTA_Y", 100),
    /* 28 */ integer("RDELTA_L", 1),
    /* 29 */ flag("RDELTA_AUTO", 1),
    /* 30 */ flag("SHOW_WERC", 0),
    /* 31 */ integer("SETUP_CURRENT_TAB", 0),
    /* 32 */ flag("SHOW_SCROLL", 1),
    /* 33 */ run_time_flag("SHOW_POWER", 0),
    /* 34 */ text("DIR_CONFIG", 128, "./design/libs"),
    /* 35 */ text("TEMPLATE_DOC_NUMBER", 128, "Document#0001"),
    /* 36 */ text("TEMPLATE_REV_CODE", 32, "A01"),
    /* 37 */ text("TEMPLATE_TITLE", 128, "Template Sheet"),
    /* 38 */ text("TEMPLATE_ORG_NAME", 128, "Tessaron Users Group"),
    /* 39 */ text("TEMPLATE_ORG_ADDR1", 128, "1 Schematic Way"),
    /* 40 */ text("TEMPLATE_ORG_ADDR2", 128, "Suite 100"),
    /* 41 */ text("TEMPLATE_ORG_ADDR3", 128, "Anytown"),
    /* 42 */ byte("SHEET_SIZE", 0),
    /* 43 */ run_time_flag("TEMPLATE_ANSI_GRID", 0),
    /* 44 */ flag("TEMPLATE_ANSI_TITLE", 0),
    /* 45 */ integer("WIDTH_PARTBODY", 100),
    /* 46 */ integer("WIDTH_PINNUM", 100),
    /* 47 */ integer("WIDTH_PINNAME", 100),
    /* 48 */ integer("WIDTH_SHEETFILE", 100),
    /* 49 */ integer("WIDTH_WIRE", 100),
    /* 50 */ integer("WIDTH_BUS", 100),
    /* 51 */ integer("WIDTH_JUNCTION", 400),
    /* 52 */ integer("WIDTH_POWEROBJ", 100),
    /* 53 */ integer("WIDTH_POWERTXT", 100),
    /* 54 */ integer("WIDTH_SHEETBODY", 100),
    /* 55 */ integer("WIDTH_SHEETTXT", 100),
    /* 56 */ integer("WIDTH_SHEETNET", 100),
    /* 57 */ integer("WIDTH_PORT", 100),
    /* 58 */ integer("WIDTH_PORTTXT", 100),
    /* 59 */ integer("WIDTH_LABEL", 100),
    /* 60 */ integer("WIDTH_COMMENT", 100),
    /* 61 */ integer("WIDTH_DASHED", 100),
    /* 62 */ integer("WIDTH_TITLE", 100),
    /* 63 */ integer("WIDTH_TITLETXT", 100),
    /* 64 */ integer("WIDTH_ERROR", 100),
    /* 65 */ integer("WIDTH_NOCONNECT", 100),
    /* 66 */ integer("WIDTH_LAYOUT", 100),
    /* 67 */ integer("NB_PART_PALETTE", 0),
    /* 68 */ int_list("SIZE_SHEETW", 11, 0),
    /* 69 */ int_list("SIZE_SHEETH", 11, 0),
    /* 70 */ integer("PARTPAL_SIZE", 80),
    /* 71 */ integer("FONT_PINNUM", 0),
    /* 72 */ integer("FONT_PINNAME", 0),
    /* 73 */ integer("FONT_PARTREF", 0),
    /* 74 */ integer("FONT_PARTVAL", 0),
    /* 75 */ integer("FONT_USERFIELD", 0),
    /* 76 */ integer("FONT_POWERTXT", 0),
    /* 77 */ integer("FONT_SHEETNAME", 0),
    /* 78 */ integer("FONT_SHEETNET", 0),
    /* 79 */ integer("FONT_MODULETXT", 0),
    /* 80 */ integer("FONT_LABEL", 0),
    /* 81 */ integer("FONT_COMMENT", 0),
    /* 82 */ integer("FONT_TITLE", 0),
    /* 83 */ integer("FONT_BORDERTXT", 0),
    /* 84 */ integer("FONT_PARTPAL", 0),
    /* 85 */ reserved("SIZE_YBORDERW"),
    /* 86 */ run_time_flag("FAST_LOAD", 1),
    /* 87 */ byte("POWER_TYPE", 0),
    /* 88 */ text("POWER_NAME", 32, "Vcc"),
    /* 89 */ integer("MULTIWIRE_DELTA", 1000),
    /* 90 */ integer("MULTIWIRE_NB", 1),
    /* 91 */ text_list("PART_PALETTE_LIB", 20),
    /* 92 */ text_list("PART_PALETTE_PART", 20),
    /* 93 */ text("PORT_NAME", 32, "The Port"),
    /* 94 */ byte("PORT_TYPE", 0),
    /* 95 */ text("NET_NAME", 32, "The Net"),
    /* 96 */ byte("NET_TYPE", 0),
    /* 97 */ integer("MIN_SHEETW", 10000),
    /* 98 */ integer("MIN_SHEETH", 8000),
    /* 99 */ flag_list("PART_PALETTE_CONV", 20, 0),
    /* 100 */ byte("POWER_NAME_ON", 0),
    /* 101 */ byte("POWER_SENS", 0),
    /* 102 */ byte("PORT_SENS", 0),
    /* 103 */ flag("CURSOR_IN_SHEET", 1),
    /* 104 */ flag("AUTO_CLEANUP", 0),
    /* 105 */ flag("SAVE_CONFIG_ON_EXIT", 1),
    /* 106 */ text("FILE1", 128, ""),
    /* 107 */ text("FILE2", 128, ""),
    /* 108 */ text("FILE3", 128, ""),
    /* 109 */ text("FILE4", 128, ""),
    /* 110 */ text("FILE5", 128, ""),
    /* 111 */ byte("DEFAULT_JUNC_STYLE", 0),
    /* 112 */ integer("DEFAULT_JUNC_WIDTH", 400),
    /* 113 */ flag("TEXT_ADD_SCALING", 1),
    /* 114 */ byte("DASH_STYLE", 0),
    /* 115 */ integer("EDIT_MODE", 0x40000000),
    /* 116 */ flag("SHOW_FRAME_TOOLBAR", 1),
    /* 117 */ byte("GRID_STYLE", 1),
    /* 118 */ byte("GRID_THICK", 1),
    /* 119 */ flag("SHOW_POWER_LOCAL", 0),
    /* 120 */ flag("MOUSE_PLANE", 0),
    /* 121 */ flag("GHOST_PLANE", 0),
    /* 122 */ flag("PAINT_FILLED", 1),
    /* 123 */ byte("GEOMETRY", 0),
    /* 124 */ integer("WIRE_SELECTION", 0),
    /* 125 */ run_time_flag("MDI_MODE", 0),
    /* 126 */ integer("LAST_WIDTH", -1),
    /* 127 */ integer("LAST_HEIGHT", -1),
    /* 128 */ byte_list("ERC_TABLE", 289),
    /* 129 */ flag("BACK_HIER", 0),
    /* 130 */ flag("BACK_VERBOSE", 1),
    /* 131 */ run_time_text("BACK_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 132 */ flag("COMPIL_VERBOSE", 1),
    /* 133 */ run_time_text("COMPIL_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 134 */ flag("DECOMP_VERBOSE", 1),
    /* 135 */ run_time_text("DECOMP_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 136 */ flag("LIBARCH_VERBOSE", 1),
    /* 137 */ run_time_text("LIBARCH_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 138 */ flag("LIBLIST_VERBOSE", 1),
    /* 139 */ run_time_text("LIBLIST_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 140 */ flag("ANNO_VERBOSE", 1),
    /* 141 */ flag("ANNO_HIER", 0),
    /* 142 */ run_time_text("ANNO_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 143 */ flag("ANNO_KEEP", 1),
    /* 144 */ flag("ANNO_UNCOND", 1),
    /* 145 */ flag("BOM_VERBOSE", 1),
    /* 146 */ flag("BOM_HIER", 0),
    /* 147 */ integer("BOM_WIDTH", 80),
    /* 148 */ integer("BOM_HEIGHT", 60),
    /* 149 */ flag("BOM_MERGE", 0),
    /* 150 */ text("BOM_MERGEFILE", 128, ""),
    /* 151 */ run_time_text("BOM_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 152 */ integer("MINUTES_BACK", 5),
    /* 153 */ integer("NB_BACK", 5),
    /* 154 */ flag("VISIBLE_PINNUM", 1),
    /* 155 */ flag("VISIBLE_PINNAME", 1),
    /* 156 */ flag("VISIBLE_POWERTXT", 1),
    /* 157 */ flag("VISIBLE_SHEETNAME", 1),
    /* 158 */ flag("VISIBLE_SHEETNET", 1),
    /* 159 */ flag("VISIBLE_LABEL", 1),
    /* 160 */ flag("VISIBLE_TEXT", 1),
    /* 161 */ flag("VISIBLE_PORTTXT", 1),
    /* 162 */ flag("PARTSCH_VERBOSE", 1),
    /* 163 */ flag("PARTSCH_HIER", 0),
    /* 164 */ run_time_text("PARTSCH_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 165 */ flag("VISIBLE_IEEE", 1),
    /* 166 */ unassigned(),
    /* 167 */ unassigned(),
    /* 168 */ unassigned(),
    /* 169 */ flag("VISIBLE_TITLETXT", 1),
    /* 170 */ reserved("FVIEW_HIER"),
    /* 171 */ reserved("FVIEW_OUTFILE"),
    /* 172 */ reserved("NETCOMP_VERBOSE"),
    /* 173 */ reserved("NETCOMP_HIER"),
    /* 174 */ reserved("NETCOMP_OUTFILE"),
    /* 175 */ flag("NETERC_VERBOSE", 1),
    /* 176 */ flag("NETERC_HIER", 0),
    /* 177 */ run_time_text("NETERC_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 178 */ reserved("NETLNK_VERBOSE"),
    /* 179 */ run_time_flag("NETFMT_HIER", 0),
    /* 180 */ flag("NETFMT_VERBOSE", 1),
    /* 181 */ run_time_text("NETFMT_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 182 */ flag("SDT_VERBOSE", 1),
    /* 183 */ flag("SDT_SCHEMA", 0),
    /* 184 */ flag("SDT_LIBRARY", 0),
    /* 185 */ text("SDT_LIBFILE", 128, ""),
    /* 186 */ run_time_text("SDT_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 187 */ flag("KEEP_LOG_OPENED", 0),
    /* 188 */ flag("CLEAR_LOGFILE", 1),
    /* 189 */ flag("CLEAR_LOGWINDOW", 1),
    /* 190 */ text("LOGFILE", 128, "tessaron.log"),
    /* 191 */ integer("LOG_WIDTH", 300),
    /* 192 */ integer("LOG_HEIGHT", 200),
    /* 193 */ flag("SDT_HIER", 1),
    /* 194 */ text("LIB1", 128, ""),
    /* 195 */ text("LIB2", 128, ""),
    /* 196 */ text("LIB3", 128, ""),
    /* 197 */ text("LIB4", 128, ""),
    /* 198 */ text("LIB5", 128, ""),
    /* 199 */ flag("LIBARCH_HIER", 0),
    /* 200 */ flag("SDT_AUTOOPEN", 1),
    /* 201 */ flag("SHOW_FLOATING_ICONS", 0),
    /* 202 */ text("TEMPLATE_NAME", 128, "Template1"),
    /* 203 */ text("TEMPLATE_ORG_ADDR4", 128, "   "),
    /* 204 */ text("TEMPLATE_ORG_ADDR5", 128, "   "),
    /* 205 */ text("TEMPLATE_CREAT_DATE", 32, "01-Jan-1994"),
    /* 206 */ text("TEMPLATE_MODIF_DATE", 32, "01-Jan-1994"),
    /* 207 */ text("TEMPLATE_USER_FNAME", 128, "  "),
    /* 208 */ text("TEMPLATE_USER_LNAME", 128, "  "),
    /* 209 */ text("TEMPLATE_FOLIO", 32, "1"),
    /* 210 */ text("TEMPLATE_NBFOLIO", 32, "1"),
    /* 211 */ text("TEMPLATE_USR1", 128, "      "),
    /* 212 */ text("TEMPLATE_USR2", 128, "      "),
    /* 213 */ text("TEMPLATE_USR3", 128, "      "),
    /* 214 */ text("TEMPLATE_USR4", 128, "      "),
    /* 215 */ text("TEMPLATE_USR5", 128, "      "),
    /* 216 */ text("TEMPLATE_USR6", 128, "      "),
    /* 217 */ text("TEMPLATE_USR7", 128, "      "),
    /* 218 */ text("TEMPLATE_USR8", 128, "      "),
    /* 219 */ text("TEMPLATE_USR9", 128, "      "),
    /* 220 */ text("TEMPLATE_USR10", 128, "      "),
    /* 221 */ text("TPL1", 128, ""),
    /* 222 */ text("TPL2", 128, ""),
    /* 223 */ text("TPL3", 128, ""),
    /* 224 */ text("TPL4", 128, ""),
    /* 225 */ text("TPL5", 128, ""),
    /* 226 */ flag("SHOW_ERCERR", 1),
    /* 227 */ flag("VISIBLE_WIRE", 1),
    /* 228 */ flag("VISIBLE_BUSE", 1),
    /* 229 */ flag("VISIBLE_POWER", 1),
    /* 230 */ flag("VISIBLE_SHEET", 1),
    /* 231 */ flag("VISIBLE_JUNC", 1),
    /* 232 */ flag("VISIBLE_PORT", 1),
    /* 233 */ flag("VISIBLE_BORDER", 1),
    /* 234 */ flag("VISIBLE_TMPL", 1),
    /* 235 */ flag("VISIBLE_PART", 1),
    /* 236 */ flag("VISIBLE_NOCON", 1),
    /* 237 */ flag("VISIBLE_DRAW", 1),
    /* 238 */ reserved("VISIBLE_IEEE"),
    /* 239 */ integer("TPL_TEXT_XSCAL", 600),
    /* 240 */ integer("TPL_TEXT_YSCAL", 900),
    // A fresh text reads upright and unboxed: mirrored both ways it would
    // stand upside down.
    /* 241 */ flag("TPL_TEXT_XMIR", 0),
    /* 242 */ flag("TPL_TEXT_YMIR", 0),
    /* 243 */ flag("TPL_TEXT_BOX", 0),
    /* 244 */ flag("TPL_TEXT_AUTO", 1),
    /* 245 */ integer("TPL_TEXT_ORIENT", 7),
    /* 246 */ text("TEXT_TEXT", 128, ""),
    /* 247 */ integer("TEXT_XSCAL", 600),
    /* 248 */ integer("TEXT_YSCAL", 900),
    /* 249 */ flag("TEXT_XMIR", 0),
    /* 250 */ flag("TEXT_YMIR", 0),
    /* 251 */ flag("TEXT_BOX", 0),
    /* 252 */ integer("TEXT_TYPE", 0),
    /* 253 */ integer("TEXT_ORIENT", 7),
    /* 254 */ integer("IEEE_XSCAL", 600),
    /* 255 */ integer("IEEE_YSCAL", 900),
    /* 256 */ flag("IEEE_XMIR", 1),
    /* 257 */ flag("IEEE_YMIR", 1),
    /* 258 */ flag("IEEE_BOX", 1),
    /* 259 */ integer("IEEE_TYPE", 0),
    /* 260 */ integer("IEEE_ORIENT", 7),
    /* 261 */ text("PIN_NAME", 128, ""),
    /* 262 */ text("PIN_REF", 128, ""),
    /* 263 */ integer("PIN_TYPE", 0),
    /* 264 */ integer("PIN_SHAPE", 7),
    /* 265 */ text("SHEET_NAME", 128, ""),
    /* 266 */ text("SHEET_FILE", 128, ""),
    /* 267 */ flag("PVIS_DESCEND", 0),
    /* 268 */ real("PVIS_SCAL", 1.0),
    /* 269 */ text("SDT_SCHFILE", 128, ""),
    /* 270 */ text("NETFMT_FORMAT", 32, "PELMORAN"),
    /* 271 */ integer("NETFMT_FIELD", 1),
    /* 272 */ run_time_flag("PAINT_AS_PLOTTED", 0),
    /* 273 */ text("LOGPRINT_DEVICE_NAME", 32, ""),
    /* 274 */ word("LOGPRINT_VERSION", 0),
    /* 275 */ word("LOGPRINT_DVERSION", 0),
    /* 276 */ word("LOGPRINT_SIZE", 0),
    /* 277 */ word("LOGPRINT_EXTRA", 0),
    /* 278 */ integer("LOGPRINT_FIELD", 0),
    /* 279 */ word("LOGPRINT_ORIENT", 0),
    /* 280 */ word("LOGPRINT_PAPERS", 0),
    /* 281 */ word("LOGPRINT_PAPERL", 0),
    /* 282 */ word("LOGPRINT_PAPERW", 0),
    /* 283 */ word("LOGPRINT_SCALE", 0),
    /* 284 */ word("LOGPRINT_COPIES", 0),
    /* 285 */ word("LOGPRINT_DEFAULT", 0),
    /* 286 */ word("LOGPRINT_QUALITY", 0),
    /* 287 */ word("LOGPRINT_COLOR", 0),
    /* 288 */ word("LOGPRINT_DUPLEX", 0),
    /* 289 */ word("LOGPRINT_RESOL", 0),
    /* 290 */ word("LOGPRINT_OPTION", 0),
    /* 291 */ word("LOGPRINT_COLLATE", 0),
    /* 292 */ text("LOGPRINT_FORM", 32, ""),
    /* 293 */ word("LOGPRINT_PAD", 0),
    /* 294 */ integer("LOGPRINT_BITS", 0),
    /* 295 */ integer("LOGPRINT_PELW", 0),
    /* 296 */ integer("LOGPRINT_PELH", 0),
    /* 297 */ integer("LOGPRINT_DISFLAG", 0),
    /* 298 */ integer("LOGPRINT_DISFREQ", 0),
    /* 299 */ flag("PRINT_VIS_PINNUM", 1),
    /* 300 */ flag("PRINT_VIS_PINNAME", 1),
    /* 301 */ flag("PRINT_VIS_POWER", 1),
    /* 302 */ flag("PRINT_VIS_SHEETNAME", 1),
    /* 303 */ flag("PRINT_VIS_SHEETNET", 1),
    /* 304 */ flag("PRINT_VIS_GRID", 1),
    /* 305 */ flag("PRINT_VIS_BORDER", 1),
    /* 306 */ flag("PRINT_VIS_TMPL", 1),
    /* 307 */ flag("PRINT_VIS_COMMENT", 1),
    /* 308 */ flag("PRINT_VIS_COMMAND", 1),
    /* 309 */ flag("PRINT_VIS_TEXT", 1),
    /* 310 */ flag("PRINT_VIS_IEEE", 1),
    /* 311 */ flag("PLACE_CONVERTED", 0),
    /* 312 */ flag("PLACE_VPOWER", 1),
    /* 313 */ integer("ICONS_X_POS", 300),
    /* 314 */ integer("ICONS_Y_POS", 300),
    /* 315 */ run_time_flag("AUTOPAN", 0),
    /* 316 */ flag("SHORTCUT_ALL", 1),
    /* 317 */ flag("PORT_AUTO", 1),
    /* 318 */ flag("TEXT_AUTO", 1),
    /* 319 */ flag("AUTOPAN_ENABLE", 1),
    /* 320 */ text("EXT_CONFIG", 32, ".tpl"),
    /* 321 */ text("EXT_SLB", 32, ".slb"),
    /* 322 */ text("EXT_CLB", 32, ".clb"),
    /* 323 */ text("EXT_ORCLIB", 32, ".src"),
    /* 324 */ text("EXT_REPORT", 32, ".rpt"),
    /* 325 */ text("EXT_LIBLIST", 32, ".lst"),
    /* 326 */ text("EXT_ASC", 32, ".asc"),
    /* 327 */ text("EXT_ORCNET", 32, ".net"),
    /* 328 */ text("EXT_ORCSCH", 32, ".sch"),
    /* 329 */ text("EXT_LOG", 32, ".log"),
    /* 330 */ text("EXT_SCHEMA", 32, ".sch"),
    /* 331 */ text("EXT_TMPL", 32, ".tbl"),
    /* 332 */ text("EXT_ATPL", 32, ".txt"),
    /* 333 */ text("EXT_NETLIST", 32, ".bnt"),
    /* 334 */ text("EXT_NETFMT", 32, ".net"),
    /* 335 */ text("EXT_NETERC", 32, ".erc"),
    /* 336 */ text("EXT_BOM", 32, ".bom"),
    /* 337 */ text("EXT_ANNOT", 32, ".ann"),
    /* 338 */ text("EXT_BAN", 32, ".ban"),
    /* 339 */ text("EXT_MPL", 32, ".mpl"),
    /* 340 */ text("EXT_STUFF", 32, ".stf"),
    /* 341 */ text("DIR_PROJECT", 128, "..\\demo"),
    /* 342 */ text("DIR_LIBRARY", 128, ".\\library"),
    /* 343 */ flag("FIND_CASE", 1),
    /* 344 */ flag("FIND_JOKER", 1),
    /* 345 */ reserved("CURRENT_POLICE"),
    /* 346 */ flag("INTERNAL_FONT", 1),
    /* 347 */ integer("NB_SYSTEM_FONTS", 0),
    /* 348 */ font_list("SYSTEM_FONT"),
    /* 349 */ reserved("FONT_ESCAPE"),
    /* 350 */ reserved("FONT_ORIENT"),
    /* 351 */ reserved("FONT_WEIGHT"),
    /* 352 */ reserved("FONT_ITALIC"),
    /* 353 */ reserved("FONT_UNDER"),
    /* 354 */ reserved("FONT_STRIKE"),
    /* 355 */ reserved("FONT_CHARSET"),
    /* 356 */ reserved("FONT_OUTPRECIS"),
    /* 357 */ reserved("FONT_CLIPPRECIS"),
    /* 358 */ reserved("FONT_QUALITY"),
    /* 359 */ reserved("FONT_PITCH"),
    /* 360 */ reserved("FONT_TYPEFACE"),
    /* 361 */ reserved("FONT_POINT_SIZE"),
    /* 362 */ integer("NETPROP_TRACKWIDTH", 100),
    /* 363 */ integer("NETPROP_ISOLATION", 80),
    /* 364 */ integer("NETPROP_VIASIZE", 250),
    /* 365 */ integer("NETPROP_VIADRILL", 50),
    /* 366 */ integer("NETPROP_SLAYER", 0),
    /* 367 */ integer("NETPROP_DLAYER", 0),
    /* 368 */ integer("NETPROP_NETTYPE", 0),
    /* 369 */ integer("NB_FIELD_NAME", 0),
    /* 370 */ text_list("FIELD_NAME", 256),
    /* 371 */ flag_list("VISIBLE_FIELDS", 256, 1),
    /* 372 */ flag_list("PRINT_VIS_FIELDS", 256, 1),
    /* 373 */ flag_list("ANNOTATE_FIELDS", 256, 0),
    /* 374 */ flag_list("BOM_FIELDS", 256, 0),
    /* 375 */ int_list("PARTFIELD_WIDTH", 3, 60),
    /* 376 */ text("DEVNAMES_DRIVER", 128, ""),
    /* 377 */ text("DEVNAMES_DEVICE", 128, ""),
    /* 378 */ text("DEVNAMES_OUTPUT", 128, ""),
    /* 379 */ run_time_flag("LOCAL_PINNUM_VISIBLE", 1),
    /* 380 */ run_time_flag("LOCAL_PINNAME_VISIBLE", 1),
    /* 381 */ flag("COMPSHEET_VERBOSE", 1),
    /* 382 */ flag("COMPSHEET_HIER", 0),
    /* 383 */ run_time_text("COMPSHEET_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 384 */ flag("COMPTMPL_VERBOSE", 1),
    /* 385 */ run_time_text("COMPTMPL_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 386 */ flag("DECOMPTMPL_VERBOSE", 1),
    /* 387 */ run_time_text("DECOMPTMPL_OUTFILE", OUTPUT_NAME_SIZE, ""),
    /* 388 */ integer("PRINT_XOFF", 0),
    /* 389 */ integer("PRINT_YOFF", 0),
    /* 390 */ run_time_integer("NB_STDLIB", 0),
    /* 391 */ run_time_text_list("LIBS", 100),
    /* 392 */ integer("NB_LIB", 1),
    /* 393 */ text_list("THE_LIB", 256),
    /* 394 */ integer("NB_PROJ", 1),
    /* 395 */ text_list("THE_PROJ", 256),
    /* 396 */ colour("COLOR_FILM", 9),
    /* 397 */ colour("COLOR_GRID", 4),
    /* 398 */ colour("COLOR_BACKG", 12),
    /* 399 */ colour("COLOR_PARTBODY", 1),
    /* 400 */ colour("COLOR_PINNUM", 2),
    /* 401 */ colour("COLOR_PINNAME", 3),
    /* 402 */ colour("COLOR_SHEETFILE", 4),
    /* 403 */ colour("COLOR_WIRE", 5),
    /* 404 */ colour("COLOR_BUS", 6),
    /* 405 */ colour("COLOR_JUNCTION", 7),
    /* 406 */ colour("COLOR_POWEROBJ", 8),
    /* 407 */ colour("COLOR_POWERTXT", 9),
    /* 408 */ colour("COLOR_SHEETBODY", 10),
    /* 409 */ colour("COLOR_SHEETTXT", 11),
    /* 410 */ colour("COLOR_SHEETNET", 12),
    /* 411 */ colour("COLOR_PORT", 13),
    /* 412 */ colour("COLOR_PORTTXT", 14),
    /* 413 */ colour("COLOR_LABEL", 15),
    /* 414 */ colour("COLOR_COMMENT", 1),
    /* 415 */ colour("COLOR_DASHED", 2),
    /* 416 */ colour("COLOR_TITLE", 3),
    /* 417 */ colour("COLOR_TITLETXT", 4),
    /* 418 */ colour("COLOR_ERROR", 5),
    /* 419 */ colour("COLOR_NOCONNECT", 6),
    /* 420 */ colour("COLOR_LAYOUT", 7),
    /* 421 */ colour("COLOR_BORDER", 7),
    /* 422 */ colour("COLOR_TAG", 8),
    /* 423 */ colour("COLOR_POWPIN", 8),
    /* 424 */ colour_list("COLOR_PARTFIELD", 3),
};

static_assert(sizeof catalogue / sizeof catalogue[0] == PROPERTY_COUNT + 1);

}  // namespace

const PropertyInfo& property_info(int id) {
    if (id < 0 || id > PROPERTY_COUNT) return catalogue[0];
    return catalogue[id];
}

bool property_is_list(PropKind kind) {
    switch (kind) {
        case PropKind::TEXT_LIST:
        case PropKind::FLAG_LIST:
        case PropKind::INT_LIST:
        case PropKind::BYTE_LIST:
        case PropKind::COLOUR_LIST: return true;
        default: return false;
    }
}

ProperKey proper_keys[PROPERTY_COUNT + 1];

void config_init_keys() {
    for (int id = 0; id <= PROPERTY_COUNT; ++id)
        proper_keys[id] = ProperKey{catalogue[id].key, catalogue[id].stored ? "TESSARON" : nullptr};
}

// Sheet sizes A, B, C, D, E, A4, A3, A2, A1, A0 and the unnamed last one.
const int32_t default_sheet_widths[11] = {9700,  16200, 20200, 32200, 42200, 9700,
                                          16200, 20200, 32200, 42200, 9700};
const int32_t default_sheet_heights[11] = {7200, 9700,  16200, 20200, 32200, 7200,
                                           9700, 16200, 20200, 32200, 7200};

// Rows and columns are the connection classes: 0 input pin, 1 input/output
// pin, 2 output pin, 3 open-collector pin, 4 passive pin, 5 three-state
// pin, 6 open-emitter pin, 7 power pin, 8 input port, 9 output port,
// 10 input/output port, 11 unspecified module port, 12 input sheet port,
// 13 output sheet port, 14 input/output sheet port, 15 unspecified sheet
// port, 16 unconnected.
const uint8_t default_erc_matrix[17 * 17] = {
    // 0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1,  // 0
    0, 0, 1, 0, 0, 0, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 0,  // 1
    0, 1, 2, 2, 0, 2, 2, 2, 2, 0, 2, 1, 0, 2, 2, 1, 0,  // 2
    0, 0, 2, 0, 0, 0, 0, 2, 2, 0, 0, 1, 0, 2, 0, 1, 0,  // 3
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 4
    0, 0, 2, 0, 0, 0, 0, 2, 2, 0, 0, 1, 0, 2, 0, 1, 0,  // 5
    0, 0, 2, 0, 0, 0, 1, 2, 2, 0, 0, 1, 0, 2, 0, 1, 0,  // 6
    0, 1, 2, 2, 0, 2, 2, 0, 2, 2, 2, 0, 0, 2, 2, 0, 0,  // 7
    0, 1, 2, 2, 0, 2, 2, 2, 2, 0, 2, 1, 0, 2, 2, 1, 1,  // 8
    0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 2, 1, 0,  // 9
    0, 0, 2, 0, 0, 0, 0, 2, 2, 0, 2, 1, 0, 2, 0, 1, 0,  // 10
    1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0,  // 11
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1,  // 12
    0, 1, 2, 2, 0, 2, 2, 2, 2, 0, 2, 1, 0, 2, 2, 1, 0,  // 13
    0, 0, 2, 0, 0, 0, 0, 2, 2, 2, 0, 1, 0, 2, 0, 1, 0,  // 14
    1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0,  // 15
    1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0,  // 16
};
