#pragma once
// The layout every ASCII source writer shares: two blanks per indentation
// level, a block's opening keyword at its level, its children one deeper
// and its closing ")" again at its level; points and sizes in one form.
// Lines end with put_newline (CR-LF when the configuration asks for it);
// numbers are written the same in every locale.
#include <cstdint>
#include <cstdio>

#include "foundation/geometry.h"
#include "model/items/item.h"  // TextSize

// Two blanks per level; nothing for 0 or below.
void write_indent(FILE* stream, int level);
// level >= 0: indentation, "(POS x y )" and a line end.
// level < 0 (inline): "(POS x y ) " with no indentation and no line end.
void write_POS(Point p, FILE* stream, int level);
// The same with "(SIZE w h )", for a text's 16-bit size pair or two
// 32-bit sizes.
void write_SIZE16(TextSize size, FILE* stream, int level);
void write_SIZE(int32_t width, int32_t height, FILE* stream, int level);
