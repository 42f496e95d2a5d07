#pragma once
// Small text forms of the file writers: line ends of text reports, quoted
// strings of the ASCII file forms, and centred cells.
#include <cstdio>
#include <functional>
#include <string>

// Ends a line of a text report: "\r\n" when the line-end hook answers
// non-zero, else "\n".
void put_newline(FILE* stream);
// The hook that says whether reports use CR-LF (none = a routine answering no).
void set_newline_hook(std::function<int()> hook);

// The text between single quotes, each embedded single quote doubled:
// it's -> 'it''s'.
std::string quote_string(const char* text);
// Drops the first and last characters and turns each doubled single quote
// into one; a lone quote is kept (and reported on the debug output). Input
// shorter than two characters gives an empty text.
void unquote_string(std::string& out, const char* quoted);

// A text of max characters or more is cut at max; a shorter one narrower
// than width is centred in width with blanks unless no_centring is set.
// Returns the resulting length.
int pad_center(std::string& text, int width, int max, bool no_centring);
