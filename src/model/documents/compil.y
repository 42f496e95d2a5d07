/* Grammar of the ASCII source form: a schematic, a library or a title block.
 *
 * The actions only hand what they read to the compilation's builder
 * (compil_builder.h), in reading order; the first token decides the kind of
 * document, which must match the mode. There are no error-recovery rules:
 * the first error ends the compilation.
 *
 * It reads back everything the writers of the system write, including the
 * forms that only some records produce: polylines "(POLY" count style {pos}
 * ")", "FILLED" before or after the style words of a circle, a text whose
 * value was left out (a symbol text whose letter has no symbol name), an
 * image without "BMP" (another picture format), a sub-sheet's strings in
 * the order sheet name, file name, an ERC mark "(ERCERR" among the items of
 * a sheet (the sheet writer writes the marks that stand there), and a
 * schematic without a title block or an own library.
 */
%require "3.2"
%define api.pure full
%define api.prefix {compil}
%define api.token.prefix {CT_}
%param {yyscan_t scanner}
%parse-param {CompilContext* ctx}
%expect 0

%code top {
/* The parser stack starts at 200 entries and doubles up to 10000; deeper
   nesting ends the parse as a stack overflow (result 2). */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
}

%code requires {
#include <cstdint>
#ifndef YY_TYPEDEF_YY_SCANNER_T
#define YY_TYPEDEF_YY_SCANNER_T
typedef void* yyscan_t;
#endif
struct CompilContext;
/* Plain values only: the stack is moved by copying its bytes. */
struct CompilXY {
    int32_t x;
    int32_t y;
};
struct CompilPinFlags {
    uint8_t shape;
    uint8_t type;
};
struct CompilTextKind {
    uint8_t flags;
    uint8_t field;
};
}

%code {
#include <string_view>

#include "model/documents/compil.h"
#include "model/documents/compil_context.h"
#include "compil_scanner.h"

static void compilerror(yyscan_t scanner, CompilContext* ctx, const char* message);

#define P(xy) (Point{(xy).x, (xy).y})
#define U8(value) (static_cast<uint8_t>(value))
/* Ends the parse with a result of its own (no parse-error message). */
#define STOP(code)          \
    do {                    \
        ctx->stop(code);    \
        YYABORT;            \
    } while (0)
/* A document of another kind than the mode: result 1 with a message. */
#define WRONG_KIND(found)       \
    do {                        \
        ctx->wrong_kind(found); \
        YYABORT;                \
    } while (0)
/* One builder call; a non-zero answer ends the parse with that result. */
#define BUILD(call)                             \
    do {                                        \
        int rc_ = ctx->builder->call;           \
        if (rc_ != 0) STOP(rc_);                \
    } while (0)
}

%union {
    int32_t num;
    uint32_t hex;
    double real;
    const char* str; /* a text of the compilation's strings */
    CompilXY xy;
    CompilPinFlags pin;
    CompilTextKind kind;
}

%token <num> INT
%token <hex> HEX
%token <real> REAL
%token <str> STRING
/* Keyword groups whose token carries the code of the chosen word. */
%token <num> PART_TYPE LINE_KIND ARC_DIRECTION MIRROR ROTATION SYMBOL
%token <num> PIN_SHAPE PIN_TYPE PORT_KIND POWER_PINS PART_FORM
%token <num> JUNCTION_SIZE JUNCTION_SHAPE POWER_SHAPE FIELD_BLOCK FIELD_WORD
%token LIB PFXS PFX PARTS LPART PART ALIAS NAME ATTRIBUTE VIS SET COMMON
%token REFERENCE SHEETPATH_BLOCK TYPE NORMAL CONVERT VECTOR NORMALVECTOROF
%token CONVERTVECTOROF PINS PIN SIZE POS
%token LINE DASHED ARC CIRCLE FILLED RECT FILL POLY TEXT BOXED LABEL TBLOCK
%token TOP BOTTOM LEFT RIGHT
%token SCHEMATIC PORTS PORT SHEET PARTLIB DEVICE SHEETPATH SUBSHEET NOCON
%token JUNCTION POWER NETPROP IMAGE BMP ERCLIST ERCERR FONTS FONT
%token TITLEBLOCK CONTROLS IDENTIFICATION
/* A character that no token begins with, or a number out of range. */
%token BAD

%type <xy> pos size
%type <num> style style_words circle_style text_options boxed_opt mirrors rotation_opt
%type <num> pin_side port_side vis_opt set_opt bmp_opt
%type <str> text_value text_value_opt sheet_path_opt
%type <pin> pin_flags
%type <kind> text_kind

%start document

%%

document
    : library
    | schematic
    | titleblock
    ;

/* ---- library ------------------------------------------------------------ */

library
    : LIB {
          if (!ctx->in_schematic && ctx->mode != COMPIL_LIBRARY) WRONG_KIND(COMPIL_LIBRARY);
          BUILD(lib_begin());
      }
      STRING prefixes_opt parts_opt lib_fonts_opt ')'   { BUILD(lib_end($3)); }
    ;

prefixes_opt
    : %empty
    | PFXS prefixes ')'
    ;

prefixes
    : %empty
    | prefixes prefix
    ;

prefix
    : PFX STRING ')'                { BUILD(prefix($2, "")); }
    | PFX STRING '=' STRING ')'     { BUILD(prefix($2, $4)); }
    ;

parts_opt
    : %empty
    | PARTS lparts ')'
    ;

lparts
    : %empty
    | lparts lpart
    ;

lpart
    : LPART { BUILD(lpart_begin()); } part_opt aliases_opt ')'   { BUILD(lpart_end()); }
    ;

part_opt
    : %empty
    | PART { BUILD(part_begin()); } part_blocks ')'   { BUILD(part_end()); }
    ;

part_blocks
    : %empty
    | part_blocks common
    | part_blocks body
    ;

common
    : COMMON common_entries ')'
    ;

common_entries
    : %empty
    | common_entries common_entry
    ;

common_entry
    : size                          { BUILD(part_size($1.x, $1.y)); }
    | REFERENCE STRING ')'          { BUILD(part_reference($2)); }
    | SHEETPATH_BLOCK STRING ')'    { BUILD(part_sheet_path($2)); }
    | TYPE PART_TYPE INT ')'        { BUILD(part_type(U8($2), $3)); }
    ;

body
    : NORMAL { BUILD(body_begin(0)); } body_entries ')'    { BUILD(body_end()); }
    | CONVERT { BUILD(body_begin(1)); } body_entries ')'   { BUILD(body_end()); }
    ;

body_entries
    : %empty
    | body_entries body_entry
    ;

body_entry
    : VECTOR { BUILD(vector_begin()); } items ')'   { BUILD(vector_end()); }
    | NORMALVECTOROF STRING ')'     { BUILD(vector_ref(1, $2)); }
    | CONVERTVECTOROF STRING ')'    { BUILD(vector_ref(2, $2)); }
    | PINS { BUILD(pins_begin()); } pin_list ')'    { BUILD(pins_end()); }
    ;

pin_list
    : %empty
    | pin_list pin
    ;

pin
    : PIN { BUILD(pin_begin()); } STRING pin_flags pin_side pos pin_numbers ')'
      { BUILD(pin_end($3, U8($4.shape | $5), $4.type, P($6))); }
    ;

pin_flags
    : %empty                { $$.shape = 0; $$.type = 0; }
    | pin_flags PIN_SHAPE   { $$ = $1; $$.shape = U8($1.shape | $2); }
    | pin_flags PIN_TYPE    { $$ = $1; $$.type = U8($2); }
    ;

pin_side
    : LEFT      { $$ = 0x00; }
    | RIGHT     { $$ = 0x10; }
    | TOP       { $$ = 0x20; }
    | BOTTOM    { $$ = 0x30; }
    ;

pin_numbers
    : %empty
    | pin_numbers STRING    { BUILD(pin_number($2)); }
    ;

aliases_opt
    : %empty
    | ALIAS names ')'
    ;

names
    : %empty
    | names name
    ;

name
    : NAME { BUILD(name_begin()); } STRING attributes ')'   { BUILD(name_end($3)); }
    ;

attributes
    : %empty
    | attributes attribute
    ;

attribute
    : ATTRIBUTE { BUILD(attribute_begin()); } STRING vis_opt set_opt text_options pos ')'
      { BUILD(attribute_end($3, U8($4 | $5), U8($6), P($7))); }
    ;

vis_opt
    : %empty    { $$ = 0; }
    | VIS       { $$ = 0x80; }
    ;

set_opt
    : %empty    { $$ = 0; }
    | SET       { $$ = 0x40; }
    ;

lib_fonts_opt
    : %empty
    | fonts     { BUILD(fonts_end(COMPIL_FONTS_LIBRARY)); }
    ;

/* ---- graphic items ------------------------------------------------------ */

items
    : %empty
    | items item
    ;

item
    : LINE style pos pos ')'
      { BUILD(line(U8($2), P($3), P($4))); }
    | ARC style pos pos pos ARC_DIRECTION ')'
      { BUILD(arc(U8($2), P($3), P($4), P($5), U8($6))); }
    | CIRCLE circle_style pos pos ')'
      { BUILD(circle(U8($2), P($3), P($4))); }
    | RECT style pos pos ')'
      { BUILD(rect(U8($2), P($3), P($4))); }
    | FILL { BUILD(fill_begin()); } pos items ')'
      { BUILD(fill_end(P($3))); }
    | POLY INT style { BUILD(poly_begin($2, U8($3))); } poly_points ')'
      { BUILD(poly_end()); }
    | text
    ;

poly_points
    : %empty
    | poly_points pos   { BUILD(poly_point(P($2))); }
    ;

text
    : TEXT INT pos size text_value_opt text_options text_kind ')'
      {
          CompilText t;
          t.font = $2;
          t.pos = P($3);
          t.width = $4.x;
          t.height = $4.y;
          t.value = $5;
          t.flags = U8($6 | $7.flags);
          t.field = $7.field;
          BUILD(text(t));
      }
    ;

style
    : %empty        { $$ = 0; }
    | style_words   { $$ = $1; }
    ;

style_words
    : LINE_KIND         { $$ = $1; }
    | DASHED            { $$ = 0x04; }
    | LINE_KIND DASHED  { $$ = $1 | 0x04; }
    ;

circle_style
    : style                 { $$ = $1; }
    | FILLED style          { $$ = $2 | 0x40; }
    | style_words FILLED    { $$ = $1 | 0x40; }
    ;

text_value
    : STRING    { $$ = $1; }
    | SYMBOL    {
          char letter = static_cast<char>($1);
          $$ = ctx->strings.keep(std::string_view(&letter, 1));
      }
    ;

text_value_opt
    : %empty        { $$ = ""; }
    | text_value    { $$ = $1; }
    ;

text_options
    : boxed_opt mirrors rotation_opt    { $$ = $1 | $2 | $3; }
    ;

boxed_opt
    : %empty    { $$ = 0; }
    | BOXED     { $$ = 0x08; }
    ;

mirrors
    : %empty            { $$ = 0; }
    | mirrors MIRROR    { $$ = $1 | $2; }
    ;

rotation_opt
    : %empty    { $$ = 0; }
    | ROTATION  { $$ = $1; }
    ;

text_kind
    : %empty            { $$.flags = 0; $$.field = 0; }
    | LABEL             { $$.flags = 0x80; $$.field = 0; }
    | TBLOCK FIELD_WORD { $$.flags = 0xC0; $$.field = U8($2); }
    ;

pos
    : POS INT INT ')'   { $$.x = $2; $$.y = $3; }
    ;

size
    : SIZE INT INT ')'  { $$.x = $2; $$.y = $3; }
    ;

/* ---- schematic ---------------------------------------------------------- */

schematic
    : SCHEMATIC {
          if (ctx->mode != COMPIL_SCHEMATIC) WRONG_KIND(COMPIL_SCHEMATIC);
          ctx->in_schematic = true;
          BUILD(schematic_begin());
      }
      schema_ports_opt sheet_opt titleblock_opt erclist_opt library_opt schema_fonts_opt ')'
      { BUILD(schematic_end()); }
    ;

schema_ports_opt
    : %empty
    | PORTS { BUILD(ports_begin()); } ports ')'
    ;

ports
    : %empty
    | ports port
    ;

port
    : PORT port_side PORT_KIND pos STRING ')'   { BUILD(port(U8($2 | $3), P($4), $5)); }
    ;

port_side
    : LEFT      { $$ = 0x00; }
    | RIGHT     { $$ = 0x08; }
    ;

sheet_opt
    : %empty
    | SHEET { BUILD(sheet_begin()); } sheet_items ')'
    ;

sheet_items
    : %empty
    | sheet_items sheet_item
    ;

sheet_item
    : item
    | port
    | PARTLIB { BUILD(placed_part_begin()); }
      STRING HEX REAL POWER_PINS text_options PART_FORM DEVICE INT pos sheet_path_opt attributes ')'
      {
          CompilPlacedPart part;
          part.name = $3;
          part.stamp = $4;
          part.scale = $5;
          part.flags = U8($6 | $7 | $8);
          part.device = $10;
          part.pos = P($11);
          part.sheet_path = $12;
          BUILD(placed_part_end(part));
      }
    | JUNCTION pos JUNCTION_SIZE JUNCTION_SHAPE ')'
      { BUILD(junction(P($2), $3, U8($4))); }
    | NOCON pos ')'
      { BUILD(nocon(P($2))); }
    | POWER STRING text_options POWER_SHAPE pos ')'
      { BUILD(power($2, U8($3 | $4), P($5))); }
    | SUBSHEET { BUILD(subsheet_begin()); } HEX pos size STRING STRING subsheet_ports_opt ')'
      {
          CompilSubSheet box;
          box.id = $3;
          box.pos = P($4);
          box.width = $5.x;
          box.height = $5.y;
          box.sheet_name = $6;
          box.file_name = $7;
          BUILD(subsheet_end(box));
      }
    | NETPROP pos STRING INT INT INT INT INT INT INT ')'
      {
          CompilNetProp label;
          label.pos = P($2);
          label.name = $3;
          label.track_width = $4;
          label.isolation = $5;
          label.via_size = $6;
          label.via_drill = $7;
          label.start_layer = $8;
          label.end_layer = $9;
          label.net_type = $10;
          BUILD(netprop(label));
      }
    | ERCERR INT pos ')'
      { BUILD(sheet_erc_mark($2, P($3))); }
    | IMAGE bmp_opt pos size text_options text_value ')'
      {
          CompilImage image;
          image.bmp = $2 != 0;
          image.flags = U8($5);
          image.pos = P($3);
          image.width = $4.x;
          image.height = $4.y;
          image.file = $6;
          BUILD(image(image));
      }
    ;

sheet_path_opt
    : %empty            { $$ = ""; }
    | SHEETPATH STRING  { $$ = $2; }
    ;

subsheet_ports_opt
    : %empty
    | PORTS { BUILD(subsheet_ports_begin()); } ports ')'
    ;

bmp_opt
    : %empty    { $$ = 0; }
    | BMP       { $$ = 1; }
    ;

titleblock_opt
    : %empty
    | titleblock
    ;

erclist_opt
    : %empty
    | ERCLIST { BUILD(erclist_begin()); } erc_marks ')'
    ;

erc_marks
    : %empty
    | erc_marks ERCERR INT pos ')'  { BUILD(erc_mark($3, P($4))); }
    ;

library_opt
    : %empty
    | library
    ;

schema_fonts_opt
    : %empty
    | fonts     { BUILD(fonts_end(COMPIL_FONTS_SCHEMA)); }
    ;

/* ---- title block -------------------------------------------------------- */

titleblock
    : TITLEBLOCK {
          if (!ctx->in_schematic && ctx->mode != COMPIL_TITLEBLOCK) WRONG_KIND(COMPIL_TITLEBLOCK);
          BUILD(titleblock_begin());
      }
      identification controls_opt titleblock_vector_opt sheet_items schema_fonts_opt ')'
      { BUILD(titleblock_end()); }
    ;

identification
    : IDENTIFICATION identifications ')'
    | FIELD_BLOCK STRING ')'    { BUILD(titleblock_field($1, $2)); }
    ;

identifications
    : %empty
    | identifications identification
    ;

controls_opt
    : %empty
    | CONTROLS { BUILD(controls_begin()); } texts ')'   { BUILD(controls_end()); }
    ;

texts
    : %empty
    | texts text
    ;

titleblock_vector_opt
    : %empty
    | VECTOR { BUILD(titleblock_vector_begin()); } items ')'   { BUILD(titleblock_vector_end()); }
    ;

/* ---- fonts -------------------------------------------------------------- */

fonts
    : FONTS { BUILD(fonts_begin()); } font_list ')'
    ;

font_list
    : %empty
    | font_list font
    ;

font
    : FONT INT INT INT INT INT INT INT INT INT INT INT INT INT INT INT STRING ')'
      {
          CompilFont f;
          f.id = $2;
          f.size = $3;
          f.height = $4;
          f.width = $5;
          f.escapement = $6;
          f.orientation = $7;
          f.weight = $8;
          f.italic = $9;
          f.underline = $10;
          f.strike_out = $11;
          f.char_set = $12;
          f.out_precision = $13;
          f.clip_precision = $14;
          f.quality = $15;
          f.pitch_family = $16;
          f.face = $17;
          BUILD(font(f));
      }
    ;

%%

/* Every failure reads "parse error" (or "parser stack overflow"): the
   driver words the message; here only the line is kept. */
static void compilerror(yyscan_t scanner, CompilContext* ctx, const char* message) {
    (void)scanner;
    (void)message;
    ctx->error_line = ctx->line;
}
