#include "connectivity/project_fixture.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/items/library.h"
#include "support/test_env.h"

namespace project_test {

std::string printed;

void print_capture(const char* format, ...) {
    va_list args;
    va_start(args, format);
    tn_test::append_vprintf(printed, format, args);
    va_end(args);
}

namespace {

void report_to_stderr(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

const char* const library_source = R"(  (LIB '$ACTIVE$'
    (PFXS
    )
    (PARTS
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 1)
            (SIZE 1000 3000 )
            (REFERENCE 'R' )
          )
          (NORMAL
            (PINS
              (PIN '1' PAS TOP (POS 500 0 ) '1' )
              (PIN '2' PAS BOTTOM (POS 500 3000 ) '2' )
            )
          )
        )
        (ALIAS
          (NAME 'RES'
          )
        )
      )
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 4)
            (SIZE 4000 4000 )
            (REFERENCE 'U' )
          )
          (NORMAL
            (PINS
              (PIN 'A' IN LEFT (POS 0 1000 ) '1' '4' '9' '12' )
              (PIN 'Y' OUT RIGHT (POS 4000 1000 ) '3' '6' '8' '11' )
            )
          )
        )
        (ALIAS
          (NAME 'GATE'
          )
        )
      )
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 30)
            (SIZE 4000 4000 )
            (REFERENCE 'X' )
          )
          (NORMAL
            (PINS
            )
          )
        )
        (ALIAS
          (NAME 'BIG'
          )
        )
      )
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 2)
            (SIZE 4000 4000 )
            (REFERENCE 'Q' )
          )
          (NORMAL
            (PINS
              (PIN 'P1' PAS LEFT (POS 0 1000 ) '1' '5' )
              (PIN 'P2' PAS LEFT (POS 0 2000 ) '2' '6' )
              (PIN 'P3' IN RIGHT (POS 4000 1000 ) '3' '7' )
            )
          )
        )
        (ALIAS
          (NAME 'DUAL'
          )
        )
      )
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 1)
            (SIZE 4000 9000 )
            (REFERENCE 'U' )
          )
          (NORMAL
            (PINS
              (PIN 'I' IN LEFT (POS 0 1000 ) '1' )
              (PIN 'B' IO LEFT (POS 0 2000 ) '2' )
              (PIN 'O' OUT LEFT (POS 0 3000 ) '3' )
              (PIN 'C' OC LEFT (POS 0 4000 ) '4' )
              (PIN 'P' PAS LEFT (POS 0 5000 ) '5' )
              (PIN 'Z' HIZ LEFT (POS 0 6000 ) '6' )
              (PIN 'E' OE LEFT (POS 0 7000 ) '7' )
              (PIN 'V' PWR LEFT (POS 0 8000 ) '8' )
            )
          )
        )
        (ALIAS
          (NAME 'ALL'
          )
        )
      )
    )
  )
)";

}  // namespace

std::string part(const char* entry, const char* reference, const char* value, int device,
                 const std::vector<const char*>& fields, int x) {
    char head[256];
    std::snprintf(head, sizeof head,
                  "    (PARTLIB '%s' 0x%08X 1.000000 POWEROFF \n      NO_ROT NORMAL_PART DEVICE %d "
                  "(POS %d 0 ) \n",
                  entry, 0x100u + static_cast<unsigned>(x), device, x);
    std::string text = head;
    text += std::string("      (ATTRIBUTE '") + reference + "' VIS (POS 0 0 )  )\n";
    text += std::string("      (ATTRIBUTE '") + value + "' VIS (POS 0 0 )  )\n";
    for (const char* field : fields)
        text += std::string("      (ATTRIBUTE '") + field + "' (POS 0 0 )  )\n";
    return text + "    )\n";
}

std::string box(const char* file) {
    return std::string("    (SUBSHEET 0x0000ABCD (POS 1000 2000 ) (SIZE 8000 6000 ) 'SUB' '") +
           file + "' \n      (PORTS\n      )\n    )\n";
}

std::string sheet(const std::vector<std::string>& items) {
    std::string text = "(SCHEMATIC\n  (SHEET\n";
    for (const std::string& item : items) text += item;
    return text + "  )\n" + library_source + ")\n";
}

void open_in_editor(const char* base, Schema* doc) {
    Services table;
    std::string wanted = base;
    table.find_open_file = [wanted, doc](const char* name, void** canvas) -> Schema* {
        *canvas = nullptr;
        return wanted == base_name(name) ? doc : nullptr;
    };
    install_services(table);
}

std::string erc_report_without_date(const std::string& path) {
    std::string text = tn_test::read_text(path), kept;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text.compare(at, 13, "Generated on ") != 0) kept += text.substr(at, end - at);
        at = end;
    }
    return kept;
}

void drop_header(const std::string& path) {
    std::vector<unsigned char> bytes = tn_test::read_bytes(path);
    if (!bytes.empty() && bytes[0] != '@') return;
    auto end = std::find(bytes.begin(), bytes.end(), 0);
    ASSERT_TRUE(end + 1 < bytes.end() && end[1] == 0x1A) << path;
    tn_test::write_bytes(path, std::vector<unsigned char>(end + 2, bytes.end()));
}

Schema* compile_sheet(const std::string& source) {
    Schema* schema = nullptr;
    int code = compile_schema_string(source, COMPIL_SCHEMATIC, report_to_stderr, nullptr, &schema);
    EXPECT_EQ(code, 0) << source;
    return schema;
}

void ProjectTest::SetUp() {
    config_set_defaults();
    reset_services();
    reset_object_ids(1);
    init_Libraries();
    printed.clear();
    proper_set(DIR_PROJECT, dir_.path().string().c_str(), 0);
    proper_set(DIR_LIBRARY, dir_.path().string().c_str(), 0);
}

void ProjectTest::TearDown() {
    free_LibraryList(lib_list);
    lib_list = nullptr;
    clear_scripted_answers();
    reset_services();
    config_set_defaults();
}

void ProjectTest::write_sheet(const std::string& name, const std::string& source) {
    Schema* schema = compile_sheet(source);
    ASSERT_NE(schema, nullptr);
    EXPECT_EQ(save_schema_file(schema, file(name).c_str(), false), 0);
    free_Schema(schema, false);
}

void ProjectTest::write_sheet_in_own_run(const std::string& name, const std::string& source) {
    reset_object_ids(1);
    write_sheet(name, source);
}

void ProjectTest::write_fixture(const std::string& name, const std::string& fixture) {
    write_sheet(name, tn_test::read_text(tn_test::data_path("connectivity/" + fixture)));
}

std::vector<std::string> ProjectTest::references(const std::string& name) {
    std::vector<std::string> result;
    Schema* schema = nullptr;
    EXPECT_EQ(load_schema_file(&schema, file(name).c_str()), 0);
    if (!schema) return result;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM)
            result.emplace_back(pl_reference_text(schema->library, as_PlacedPart(item)));
    close_schema(nullptr, &schema);
    return result;
}

std::string ProjectTest::source_of(const std::string& name) {
    Schema* schema = nullptr;
    EXPECT_EQ(load_schema_file(&schema, file(name).c_str()), 0);
    if (!schema) return "";
    std::string text = tn_test::text_written([&](FILE* out) { awrite_Schema(schema, out, 0); });
    close_schema(nullptr, &schema);
    // Dates are today's: they are left out so that golden files stay put.
    std::string kept;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        if (line.find("DATE '") == std::string::npos) kept += line;
        at = end;
    }
    return kept;
}

List* ProjectTest::project(const std::string& root) {
    List* list = list_project_sheets(file(root).c_str(), false, nullptr);
    EXPECT_NE(list, nullptr);
    return list;
}

}  // namespace project_test
