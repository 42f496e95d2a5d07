// Reads random bytes as the settings file: every property is loaded from it
// (each value kind's reader, the lists and the font list), then settings of
// each kind are written through into it and read back. Whatever the file
// held, a value written must read back as written, and the file must stay
// readable (the sanitizer build reports overruns and leaks).
#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "fuzz_files.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The file's times are set in the past, different for each input: the settings
// layer then keeps the file it read instead of reading it again for each
// of the hundreds of keys.
void age(const std::string& file) {
    static long tick = 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    timespec times[2] = {{now.tv_sec - 10, ++tick % 1000000000},
                         {now.tv_sec - 10, tick % 1000000000}};
    utimensat(AT_FDCWD, file.c_str(), times, 0);
}

// Sets the field to `other` without touching the file, reads it back from
// the file.
int32_t reread(int id, int index, int32_t other) {
    config_write_flag = 0;
    if (index < 0)
        proper_set(id, other, 0);
    else
        proper_set(id, index, other, 0);
    config_write_flag = 1;
    check(get_config_value(id, index) == 1);
    return proper_get(id, index);
}

std::string reread_text(int id, int index = -1) {
    config_write_flag = 0;
    if (index < 0)
        proper_set(id, "", 0);
    else
        proper_set(id, index, "", 0);
    config_write_flag = 1;
    check(get_config_value(id, index) == 1);
    const char* read = strproper_get(id, index);
    return read ? read : "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool configured = [] {
        Services quiet;
        quiet.log_write = [](const char*) {};
        install_services(quiet);
        config_init();
        config_init_keys();
        return true;
    }();
    (void)configured;
    const std::string file = fuzz_files::write_input("settings.ini", data, size);
    age(file);
    set_config_ini_name(file.c_str());
    config_set_defaults();
    ini_found = 1;
    config_load_all();

    // Each kind written through and read back: an integer, a double, a
    // colour, a text, a flag and a text of a list, and the font list.
    const int32_t grid = 1000 + static_cast<int32_t>(size % 1000);
    proper_set(GRID_SIZE, grid, ZOOM_CUT, 0.25, COLOR_WIRE, 0x00123456, 0);
    proper_set(DIR_LIBRARY, "fuzz_library", 0);
    proper_set(VISIBLE_FIELDS, 3, 0, 0);
    proper_set(THE_LIB, 0, "fuzz.clb", 0);
    proper_set(SYSTEM_FONT, system_fonts, 0);
    check(reread(GRID_SIZE, -1, 0) == grid);
    check(reread(COLOR_WIRE, -1, 0) == 0x00123456);
    check(reread(VISIBLE_FIELDS, 3, 1) == 0);
    config_write_flag = 0;
    proper_set(ZOOM_CUT, 1.0, 0);
    config_write_flag = 1;
    check(get_config_value(ZOOM_CUT, -1) == 1 && fproper_get(ZOOM_CUT) == 0.25);
    check(reread_text(DIR_LIBRARY) == "fuzz_library");
    check(reread_text(THE_LIB, 0) == "fuzz.clb");
    config_free();
    return 0;
}
