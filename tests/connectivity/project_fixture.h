#pragma once
// What the report and annotation tests share: a private project directory
// with the configuration at its defaults, sheets written from schematic
// source text (tests/data/connectivity holds the larger ones), and a print
// callback that keeps what a job printed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_env.h"

struct List;
struct Schema;

namespace project_test {

// Everything a job printed through print_capture since the last clear.
extern std::string printed;
void print_capture(const char* format, ...);

// A placed part in schematic source form: library entry RES (prefix R, one
// device), GATE (prefix U, four devices), BIG (prefix X, 30 devices) or
// DUAL (prefix Q, two devices; pins '1' and '2' of one type, '3' of another)
// or ALL (prefix U, one device, pins 1 to 8 of the types input, in/out,
// output, open collector, passive, three-state, open emitter, power).
std::string part(const char* entry, const char* reference, const char* value, int device = 0,
                 const std::vector<const char*>& fields = {}, int x = 0);
// A sub-sheet box naming a file.
std::string box(const char* file);
// A whole sheet source: the items and the own library with the four entries.
std::string sheet(const std::vector<std::string>& items);

// Installs an editor that holds `doc` as the open document of the file
// whose base name is `base` (names compared as the editor does, by file).
void open_in_editor(const char* base, Schema* doc);

// The text of an ERC report without its "Generated on" line (today's date).
std::string erc_report_without_date(const std::string& path);

// Takes the optional header off a native file (a sheet or library then
// starts with its record's tag); a file without one stays as it is.
void drop_header(const std::string& path);

// Compiles a schematic source into a document (fails the test when it does
// not compile); the caller frees it.
Schema* compile_sheet(const std::string& source);

class ProjectTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string file(const std::string& name) const { return dir_.file(name); }
    // Compiles the source and saves it as the binary sheet file `name`.
    void write_sheet(const std::string& name, const std::string& source);
    // The same, saved as a run of its own saves it: every run numbers its
    // records from 1, so sheets saved by different runs share ids.
    void write_sheet_in_own_run(const std::string& name, const std::string& source);
    // A source file of tests/data/connectivity saved as the binary sheet `name`.
    void write_fixture(const std::string& name, const std::string& fixture);
    // The references of the placed parts of a sheet file, in item order,
    // with their device letters.
    std::vector<std::string> references(const std::string& name);
    // The schematic source of a sheet file, as the decompiler writes it, without
    // its dates.
    std::string source_of(const std::string& name);
    // The project's sheet list from a root (free with free_name_list).
    List* project(const std::string& root);

    tn_test::TempDir dir_;
};

}  // namespace project_test
