#pragma once
// Part and file names matched against wildcard patterns ('*' any run, '?'
// any one character), letter case ignored. The pattern is translated into a
// regular expression and compiled by the C library's GNU regex with the
// syntax of its single-pattern interface, so other regex characters keep
// their meaning ('.' matches any character, '[' opens a class).
//
// One pattern is current at a time (one thread).

// Compiles the pattern as the current one: "^" + pattern with '?' -> "." and
// '*' -> ".*" + "$" (no "^" or "$" added when already there). 0, or -1 when
// the result is no valid expression (nothing then matches).
int wildcard_compile(const char* pattern);
// True when the text matches the current pattern.
bool wildcard_exec(const char* text);
// As wildcard_exec after folding a..z to A..Z unless keep_case is set.
bool wildcard_match_nocase(const char* text, bool keep_case);
// Compile, match, end.
bool wildcard_match(const char* pattern, const char* text);
// Ends a match (nothing to release).
void wildcard_free();
