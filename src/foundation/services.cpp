#include "foundation/services.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "foundation/font_record.h"

bool debug_enabled = false;

namespace {

// The scripted answers and the last box's text and caption.
struct Questions {
    std::deque<int> scripted;
    std::string box_text;
    std::string box_caption;
} questions;

int headless_box(const char* text, const char* caption, int style) {
    questions.box_text = text ? text : "";
    questions.box_caption = caption ? caption : "";
    if (!questions.scripted.empty()) {
        int answer = questions.scripted.front();
        questions.scripted.pop_front();
        return answer;
    }
    if (style & MB_YES_NO) return ANSWER_YES;
    return ANSWER_OK;
}

Services& table() {
    static Services s = headless_services();
    return s;
}

template <class F>
void keep_or_take(F& slot, const F& given) {
    if (given) slot = given;
}

}  // namespace

Services headless_services() {
    Services s;
    s.log_write = [](const char* text) { std::fputs(text, stdout); };
    s.debug_write = [](const char* text) {
        if (debug_enabled) std::fputs(text, stderr);
    };
    s.message_box = headless_box;
    s.fatal_exit = [](const char* text) {
        std::fputs(text, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
        std::_Exit(1);
    };
    s.bell = [] {};
    s.text_extent = [](void*, List*, View*, const char*, int*, Point, Rect*) { return false; };
    s.font_for_text = [](List**, int*) { return 0L; };
    s.colour_table_attach = [](ColourLoadFn, ColourSaveFn) {};
    s.colour_red = []() -> void* { return nullptr; };
    s.item_draw_bounds = [](Schema*, SchItem*, Rect*) { return false; };
    s.paint_zone_text_extent = [](View*, const char*, int*, Point, Rect*) { return false; };
    s.sheet_text_box = [](Schema*, SchItem*, Rect*) { return false; };
    s.find_open_file = [](const char*, void** canvas) -> Schema* {
        if (canvas) *canvas = nullptr;
        return nullptr;
    };
    s.confirm_overwrite = [](const std::string& name, std::string* confirmed) {
        *confirmed = name;
        if (file_access(name.c_str(), 0) != 0) return true;  // nothing to overwrite
        return headless_box("The file will be Overwritten", "Warning",
                            MB_OK_BUTTON | MB_CANCEL_BUTTON) != ANSWER_CANCEL;
    };
    s.confirm_remove_title_block = [](Schema*) {
        return headless_box(error_message_v(1, 50010, nullptr, 0), "Please Confirm",
                            MB_YES_NO | MB_ICON_QUESTION) == ANSWER_YES;
    };
    s.font_remove_entry = [](List** table, int number) { font_table_remove(table, number); };
    s.for_each_child = [](const std::function<bool(void*)>&) { return true; };
    s.canvas_visible_rect = [](void*, int out[4]) { out[0] = out[1] = out[2] = out[3] = 0; };
    s.get_display_size = [](int* w, int* h) {
        *w = 1024;
        *h = 768;
    };
    s.get_screen_diagonal = [] { return 18.5; };
    s.dialog_set_message = [](void*, const char*) {};
    s.dialog_set_pinned = [](void*, bool) {};
    s.dialog_show = [](void*, bool, bool) {};
    s.dialog_is_shown = [](void*) { return false; };
    s.file_selector = [](const char*, const char*, const char*, const char*, const char*, int,
                         void*, std::string*) { return false; };
    return s;
}

Services& services() { return table(); }

void install_services(const Services& given) {
    Services& s = table();
    keep_or_take(s.log_write, given.log_write);
    keep_or_take(s.debug_write, given.debug_write);
    keep_or_take(s.message_box, given.message_box);
    keep_or_take(s.fatal_exit, given.fatal_exit);
    keep_or_take(s.bell, given.bell);
    keep_or_take(s.text_extent, given.text_extent);
    keep_or_take(s.font_for_text, given.font_for_text);
    keep_or_take(s.colour_table_attach, given.colour_table_attach);
    keep_or_take(s.colour_red, given.colour_red);
    keep_or_take(s.item_draw_bounds, given.item_draw_bounds);
    keep_or_take(s.paint_zone_text_extent, given.paint_zone_text_extent);
    keep_or_take(s.sheet_text_box, given.sheet_text_box);
    keep_or_take(s.find_open_file, given.find_open_file);
    keep_or_take(s.confirm_overwrite, given.confirm_overwrite);
    keep_or_take(s.confirm_remove_title_block, given.confirm_remove_title_block);
    keep_or_take(s.font_remove_entry, given.font_remove_entry);
    keep_or_take(s.for_each_child, given.for_each_child);
    keep_or_take(s.canvas_visible_rect, given.canvas_visible_rect);
    keep_or_take(s.get_display_size, given.get_display_size);
    keep_or_take(s.get_screen_diagonal, given.get_screen_diagonal);
    keep_or_take(s.dialog_set_message, given.dialog_set_message);
    keep_or_take(s.dialog_set_pinned, given.dialog_set_pinned);
    keep_or_take(s.dialog_show, given.dialog_show);
    keep_or_take(s.dialog_is_shown, given.dialog_is_shown);
    keep_or_take(s.file_selector, given.file_selector);
}

void reset_services() {
    table() = headless_services();
    clear_scripted_answers();
}

void script_answers(std::initializer_list<int> answers) {
    questions.scripted.insert(questions.scripted.end(), answers.begin(), answers.end());
}
void clear_scripted_answers() { questions.scripted.clear(); }
const std::string& last_box_text() { return questions.box_text; }
const std::string& last_box_caption() { return questions.box_caption; }
