/* Grammar of the back-annotation change file.
 *
 * The list of lines is left-recursive, so the parser stack stays shallow
 * however long the file is. A statement is applied only once its line feed
 * has been read: a statement followed by anything else is a syntax error
 * and changes nothing.
 */
%require "3.2"
%define api.pure full
%define api.prefix {ba}
%define api.token.prefix {BA_}
%param {BaContext* ctx}
%expect 0

%code top {
/* Past 10000 entries the parse ends as a stack overflow (result 2). */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
}

%code requires {
struct BaContext;
}

%code {
#include "connectivity/backannotate.h"

typedef void* yyscan_t;
int yylex_backannotate(BASTYPE* value, yyscan_t scanner);
#define balex(value, ctx) yylex_backannotate((value), static_cast<yyscan_t>((ctx)->scanner))
static void baerror(BaContext* ctx, const char* message);
}

%union {
    int index;  /* of a string in ctx->strings */
    struct {
        int a, b, c;
    } three;
}

%token <index> STRING
%token NEWLINE SWAP IN BAD
%type <three> rename swap

%start file

%%

file
    : %empty
    | file line
    ;

line
    : rename NEWLINE    { ba_rename(ctx, ctx->string($1.a), ctx->string($1.b)); }
    | swap NEWLINE      { ba_swap(ctx, ctx->string($1.c), ctx->string($1.a), ctx->string($1.b)); }
    | NEWLINE
    ;

rename
    : STRING STRING     { $$.a = $1; $$.b = $2; $$.c = -1; }
    ;

swap
    : SWAP STRING STRING IN STRING  { $$.a = $2; $$.b = $3; $$.c = $5; }
    ;

%%

static void baerror(BaContext* ctx, const char* message) {
    yyerror_backannotate(ctx, message);
}

int yyparse_backannotate(BaContext* ctx) {
    return baparse(ctx);
}
