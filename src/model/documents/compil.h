#pragma once
// The ASCII source reader: one scanner and one LALR(1) parser for the source
// form of schematics ("(SCHEMATIC"), libraries ("(LIB") and title blocks
// ("(TITLEBLOCK"). The parser hands every construct to a CompilBuilder
// (compil_builder.h); it builds nothing itself.
//
// Each compilation has its own scanner and parser state (line counter from
// 1, a 16384-byte input buffer, no state left behind), so compilations may
// follow one another freely.
//
// Results: 0 success; 1 a parse error ("compil : Error : parse error at
// line %d\n" through the report hook) or a document whose kind does not
// match the mode ("compil : Error : a library where a schematic was expected
// at line %d\n" and its kin); 2 nesting deeper than the parser stack allows
// ("compil : Error : parser stack overflow at line %d\n"); any other value
// is the code a builder call answered to stop the parse. On every failure
// the builder's abort() is called.
#include <cstdio>
#include <string_view>

#include "model/documents/compil_builder.h"

enum CompilMode { COMPIL_SCHEMATIC = 1, COMPIL_LIBRARY = 2, COMPIL_TITLEBLOCK = 3 };

// Reads the source from an open stream up to its end; a read failure of
// the stream ends the input there with a parse error. A null report hook
// stands for log_printf.
int compil_file(FILE* file, int mode, CompilBuilder& builder, CompilReport report = nullptr);
// Opens the file (a stored name, see foundation/file_system.h) for reading
// and compiles it; 51 with "Can't open file '%s'\n" when it cannot be
// opened (the builder is then not called at all).
int compil_path(const char* path, int mode, CompilBuilder& builder, CompilReport report = nullptr);
// Compiles a text held in memory; every byte counts, a NUL included.
int compil_string(std::string_view text, int mode, CompilBuilder& builder,
                  CompilReport report = nullptr);
