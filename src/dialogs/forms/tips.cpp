#include "dialogs/forms/tips.h"

#include <cstdio>
#include <random>

std::unique_ptr<TipsFile> TipsFile::open(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    return std::unique_ptr<TipsFile>(new TipsFile(file));
}

TipsFile::~TipsFile() { std::fclose(file_); }

void TipsFile::rewind() {
    look_ahead_ = 0;
    std::rewind(file_);
}

bool TipsFile::tip_read() {
    tip_.clear();
    if (look_ahead_) tip_ += static_cast<char>(look_ahead_);
    for (;;) {
        bool backslash = false;
        int c;
        while ((c = std::fgetc(file_)) != EOF && c != '\n') {
            if (backslash && c == 'n') {
                tip_.back() = '\r';
                tip_ += '\n';
                backslash = false;
                continue;
            }
            backslash = c == '\\';
            tip_ += static_cast<char>(c);
        }
        if (c == EOF) {
            look_ahead_ = 0;
            return false;
        }
        const int first = std::fgetc(file_);
        if (first == EOF) {
            look_ahead_ = 0;
            return false;
        }
        if (first != '+') {
            look_ahead_ = first;
            return true;
        }
        // A continuation line: appended to this tip without its '+'.
    }
}

int TipsFile::tips_count() {
    rewind();
    int tips = 0;
    bool more = true;
    while (more) {
        more = tip_read();
        if (!tip_.empty()) ++tips;
    }
    rewind();
    return tips;
}

void TipsFile::seek(int n) {
    rewind();
    for (int i = 0; i < n; ++i)
        if (!tip_read()) break;
}

void TipsFile::tip_next() {
    tip_read();
    if (tip_.empty()) {
        rewind();
        tip_read();
    }
}

int tip_start_number(int digit, int count) {
    int n = digit * count / 9;
    if (n < 1) n = 1;
    if (n > count) n = count;
    return n < 1 ? 1 : n;
}

int random_tip_digit() {
    static std::mt19937 generator{std::random_device{}()};
    const int r = std::uniform_int_distribution<int>(0, 32767)(generator);
    char text[32];
    std::snprintf(text, sizeof text, "%f", r / 32767.0);
    // "0.123456": the third decimal.
    return text[4] - '0';
}

void TipsFile::tip_seek_random(int count) { seek(tip_start_number(random_tip_digit(), count)); }
