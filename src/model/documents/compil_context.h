#pragma once
// The state of one compilation, shared by the scanner, the parser and the
// driver (compil.cpp). Nothing of it outlives the compilation.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "model/documents/compil_builder.h"

// The texts of string tokens, each ended by a NUL, packed into large
// blocks that live as long as the compilation: a token's value is the
// address of its text, which stays put while later texts are added.
class CompilStrings {
public:
    // Room for a text of up to `most` bytes and its NUL, at the text that
    // keep() answers next.
    char* room(size_t most);
    // Keeps the `size` bytes written into the last room() and ends them.
    const char* keep(size_t size);
    // Keeps a copy of the text.
    const char* keep(std::string_view text);

private:
    static constexpr size_t block_size = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;  // free room of the last block
    size_t left_ = 0;       // bytes free at next_
};

struct CompilContext {
    CompilBuilder* builder = nullptr;  // not owned: the caller's
    int mode = 0;
    int line = 1;  // line of the scanner, counted from 1

    // Input: a stream, or a text in memory when file is null.
    FILE* file = nullptr;        // not owned: the caller opens and closes it
    const char* text = nullptr;  // not owned: the caller's text
    size_t text_left = 0;
    bool read_failed = false;  // the stream reported an error

    // Set when a schematic is open: "(LIB" and "(TITLEBLOCK" are then its
    // own blocks, not documents of their own.
    bool in_schematic = false;

    // The texts of string tokens; a token's value is the address of its
    // text here, so that the parser's stack holds only plain values.
    CompilStrings strings;

    // A stop asked by the parser itself (a builder call's code, or a
    // document kind not matching the mode): no parse-error message then.
    bool stopped = false;
    int stop_code = 0;
    const char* stop_message = nullptr;  // static text, reported by the driver, or none
    int error_line = 0;                  // line where the parser gave up

    void stop(int code) {
        stopped = true;
        stop_code = code;
    }
    // A document of another kind than the mode asks for: result 1 with a
    // message naming both.
    void wrong_kind(int found) {
        static const char* const texts[4][4] = {
            {},
            {nullptr, nullptr, "a library where a schematic was expected",
             "a title block where a schematic was expected"},
            {nullptr, "a schematic where a library was expected", nullptr,
             "a title block where a library was expected"},
            {nullptr, "a schematic where a title block was expected",
             "a library where a title block was expected", nullptr},
        };
        stop(1);
        error_line = line;
        if (mode >= 1 && mode <= 3 && found >= 1 && found <= 3) stop_message = texts[mode][found];
        if (!stop_message) stop_message = "wrong document kind";
    }

    // Fills buf with up to size bytes of input; 0 at the end of the input.
    size_t read(char* buf, size_t size);
};
