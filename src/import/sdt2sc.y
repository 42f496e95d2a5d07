/* Grammar of the foreign library source: optional reference prefixes, then
 * parts, each with its names, a header and one or two bodies.
 *
 * A body is a run of pins, vectors, or pins then vectors, where vectors are
 * a definition ("VECTOR" items "END") or a reference to another part's
 * normal or converted body ("VECTOR" name, "CONVERT" name). So after a run
 * of pins the keyword CONVERT either begins a reference to a converted
 * body or ends the first body before the converted one; the token after it
 * decides (a STRING is a reference). The rules below keep both readings
 * open until that token: after pins, CONVERT is shifted in every case, and
 * the converted body that may follow it never begins with a STRING.
 *
 * A device count of 0 is a part whose pins carry names only (gate-array
 * macros and the like): it becomes one device whose pins have no numbers,
 * and a number given to one of its pins is an error.
 *
 * Values the native records cannot hold (a coordinate that overflows after
 * scaling, more pin numbers than devices, a negative device count) end the
 * parse as syntax errors.
 */
%require "3.2"
%define api.pure full
%define api.prefix {sdt2sc}
%define api.token.prefix {ST_}
%param {yyscan_t scanner}
%parse-param {Sdt2scContext* ctx}
%expect 0

%code top {
/* The parser stack starts at 200 entries and may grow to 10000; deeper
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
struct Sdt2scContext;
struct Pin;
struct PinList;
struct Vectors;
struct Sdt2scXY {
    int32_t x;
    int32_t y;
};
struct Sdt2scBodyValue {
    PinList* pins;
    Vectors* vectors;
};
struct Sdt2scLabel {
    int str;
    int font;
};
}

%code {
#include <string>

#include "import/sdt2sc_context.h"
#include "model/items/part.h"
#define YYSTYPE SDT2SCSTYPE
#include "sdt2sc_scanner.h"

static void sdt2scerror(yyscan_t scanner, Sdt2scContext* ctx, const char* message);

#define S(index) (ctx->string(index))
#define P(xy) (Point{(xy).x, (xy).y})
#define BODY(v) (Sdt2scBody{(v).pins, (v).vectors})
/* A value the records cannot hold: a parse error at this line. */
#define CHECK(call)                             \
    do {                                        \
        if ((call) != 0) {                      \
            sdt2sc_error(ctx, "parse error");   \
            YYABORT;                            \
        }                                       \
    } while (0)
}

%union {
    int num;
    double real;
    int str;
    Sdt2scXY xy;
    Sdt2scBodyValue body;
    Sdt2scLabel label;
    Pin* pin;
    PinList* pins;
    Vectors* vectors;
}

%token PREFIX END EQUAL REFERENCE SHEETPATH GRIDARRAY IEEE T B L R DOT CLK SHORT
%token VECTOR ARC CIRCLE LINE FILL TEXT CONVERT BAD
%token <num> INT PIN_TYPE IEEE_SYMBOL
%token <real> FLOAT
%token <str> STRING

%type <num> part_kind
%type <real> number
%type <xy> point
%type <label> label
%type <pin> pin
%type <pins> pins
%type <vectors> vectors
%type <body> body body_np

%%

library
    : prefixes parts
    ;

prefixes
    : %empty
    | PREFIX prefix_list END
    ;

prefix_list
    : %empty
    | prefix_list STRING                { CHECK(sdt2sc_add_prefix(ctx, S($2), "")); }
    | prefix_list STRING EQUAL STRING   { CHECK(sdt2sc_add_prefix(ctx, S($2), S($4))); }
    ;

parts
    : %empty
    | parts part
    ;

part
    : part_start names header bodies
    ;

part_start
    : %empty                            { sdt2sc_new_part(ctx); }
    ;

names
    : %empty
    | names STRING                      { sdt2sc_add_entry(ctx, S($2), ""); }
    | names STRING SHEETPATH STRING     { sdt2sc_add_entry(ctx, S($2), S($4)); }
    ;

header
    : reference INT INT part_kind
        {
            CHECK(sdt2sc_header(ctx, $2, $3, $4 < 0 ? -$4 : STANDARD, $4 < 0 ? 1 : $4));
        }
    ;

reference
    : %empty
    | REFERENCE STRING                  { sdt2sc_reference(ctx, S($2)); }
    ;

/* The device count of a standard part (0: unnumbered pins); minus the type
   of the others. */
part_kind
    : INT                               { if ($1 < 0) CHECK(1); $$ = $1; }
    | GRIDARRAY                         { $$ = -GRID_ARRAY; }
    | IEEE                              { $$ = -IEEE; }
    ;

bodies
    : pins                      { sdt2sc_set_bodies(ctx, Sdt2scBody{$1, nullptr}, Sdt2scBody{}); }
    | body_np                   { sdt2sc_set_bodies(ctx, BODY($1), Sdt2scBody{}); }
    | CONVERT body              { sdt2sc_set_bodies(ctx, Sdt2scBody{}, BODY($2)); }
    | pins CONVERT body         { sdt2sc_set_bodies(ctx, Sdt2scBody{$1, nullptr}, BODY($3)); }
    | body_np CONVERT body      { sdt2sc_set_bodies(ctx, BODY($1), BODY($3)); }
    ;

/* A body after CONVERT: nothing can follow it, so pins may end it there. */
body
    : pins                              { $$ = Sdt2scBodyValue{$1, nullptr}; }
    | body_np
    ;

/* A body that does not end with a run of pins. */
body_np
    : vectors                           { $$ = Sdt2scBodyValue{nullptr, $1}; }
    | pins vectors                      { $$ = Sdt2scBodyValue{$1, $2}; }
    ;

vectors
    : VECTOR STRING                     { $$ = sdt2sc_vector_ref_normal(ctx, S($2)); }
    | CONVERT STRING                    { $$ = sdt2sc_vector_ref_convert(ctx, S($2)); }
    | VECTOR vector_start items END     { $$ = ctx->definition; ctx->definition = nullptr; }
    ;

vector_start
    : %empty                            { sdt2sc_vector_def(ctx); }
    ;

items
    : %empty
    | items item
    ;

item
    : LINE point point                  { CHECK(sdt2sc_line(ctx, P($2), P($3))); }
    | ARC point point point number      { CHECK(sdt2sc_arc(ctx, P($2), P($3), P($4))); }
    | CIRCLE point number               { CHECK(sdt2sc_circle(ctx, P($2), $3)); }
    | FILL point                        { CHECK(sdt2sc_fill(ctx, P($2))); }
    | TEXT point number label           { CHECK(sdt2sc_text(ctx, P($2), $3, S($4.str), $4.font)); }
    ;

label
    : STRING                            { $$ = Sdt2scLabel{$1, 0}; }
    | IEEE_SYMBOL                       { $$ = Sdt2scLabel{ctx->keep(std::string(1, static_cast<char>($1))), 1}; }
    ;

point
    : number number
        {
            if (!sdt2sc_scale($1, &$$.x) || !sdt2sc_scale($2, &$$.y)) CHECK(1);
        }
    ;

number
    : INT                               { $$ = $1; }
    | FLOAT                             { $$ = $1; }
    ;

pins
    : pin                               { $$ = sdt2sc_pin_append(ctx, nullptr, $1); }
    | pins pin                          { $$ = sdt2sc_pin_append(ctx, $1, $2); }
    ;

pin
    : side numbers flags PIN_TYPE STRING { $$ = sdt2sc_pin_name(ctx, $4, S($5)); }
    ;

side
    : T INT                             { CHECK(sdt2sc_pin_start(ctx, 0x20, $2)); }
    | B INT                             { CHECK(sdt2sc_pin_start(ctx, 0x30, $2)); }
    | L INT                             { CHECK(sdt2sc_pin_start(ctx, 0x00, $2)); }
    | R INT                             { CHECK(sdt2sc_pin_start(ctx, 0x10, $2)); }
    ;

numbers
    : %empty
    | numbers INT                       { CHECK(sdt2sc_pin_number(ctx, $2 == 0 ? "" : std::to_string($2).c_str())); }
    | numbers STRING                    { CHECK(sdt2sc_pin_number(ctx, S($2))); }
    ;

flags
    : %empty
    | flags DOT                         { sdt2sc_pin_flag(ctx, 2); }
    | flags CLK                         { sdt2sc_pin_flag(ctx, 4); }
    | flags SHORT                       { sdt2sc_pin_flag(ctx, 1); }
    ;

%%

static void sdt2scerror(yyscan_t scanner, Sdt2scContext* ctx, const char* message) {
    (void)scanner;
    // The parser's own words for its two failures: a token no rule takes,
    // and a stack that would grow past its limit.
    const bool overflow = std::string(message).find("exhausted") != std::string::npos;
    sdt2sc_error(ctx, overflow ? "parser stack overflow" : "parse error");
}
