#pragma once
// The tips file: one tip per line, a line beginning with '+' continuing
// the tip before it, "\n" inside a tip a line break. The reader walks the
// tips in order and starts over at the end; a tip is as long as its lines
// make it.
#include <cstdio>
#include <memory>
#include <string>

constexpr const char* TIPS_FILE = "TnTips.dat";

class TipsFile {
public:
    // Reads the file at path; null when it cannot be opened.
    static std::unique_ptr<TipsFile> open(const std::string& path);
    ~TipsFile();
    TipsFile(const TipsFile&) = delete;
    TipsFile& operator=(const TipsFile&) = delete;

    // Reads the next tip; false at the end of the file (the text read so
    // far is the tip).
    bool tip_read();
    // The number of tips that are not empty; the file is read from its
    // start again afterwards.
    int tips_count();
    // Reads tips from the start until the tip numbered n (1 = the first).
    void seek(int n);
    // Reads tips up to the one a random digit picks among `count` tips
    // (tip_start_number).
    void tip_seek_random(int count);
    // The next tip; after the last one, the first again.
    void tip_next();
    // The current tip, line breaks as "\r\n".
    const std::string& tip() const { return tip_; }

private:
    explicit TipsFile(FILE* file) : file_(file) {}
    void rewind();

    FILE* file_;
    int look_ahead_ = 0;  // the first byte of the line after the tip; 0 at the start and end
    std::string tip_;
};

// The number of the first tip shown: the third decimal digit of a random
// fraction (0..9) times the count / 9, within 1..count (1 without tips).
int tip_start_number(int digit, int count);
// The third decimal digit of a fresh random fraction.
int random_tip_digit();
