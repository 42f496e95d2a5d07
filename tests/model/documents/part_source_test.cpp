// The source form of library parts and attributes, as the source reader
// understands it.
#include <gtest/gtest.h>

#include <string>

#include "model/documents/attribute.h"
#include "model/documents/compil.h"
#include "model/documents/compil_recorder.h"
#include "model/documents/record_io.h"
#include "model/items/part_samples.h"

using namespace record_io;
using namespace part_samples;

namespace {

void quiet(const char*, ...) {}

// A library source holding the sample part under two names (the second
// part shares the first one's normal body), each with attributes.
std::string library_source() {
    PartPtr part = sample_part();
    PartPtr alias(new_Part());
    alias->normal = part->normal;
    ref_Vectors(alias->normal);
    Attribute* value = new_Attribute();
    value->text.set("74'00");
    value->flags = VIS | SET;
    value->pos = {10, -20};
    Attribute* hidden = new_Attribute();
    hidden->text.set("DIP14");
    std::string text = text_written([&](FILE* f) {
        std::fputs("(LIB 'test'\n  (PARTS\n", f);
        const char* names[] = {"7400", "7400A"};
        Part* parts[] = {part.get(), alias.get()};
        for (int i = 0; i < 2; ++i) {
            std::fputs("    (LPART\n", f);
            awrite_Part(parts[i], f, 3, names[i]);
            std::fprintf(f, "      (ALIAS\n        (NAME '%s'\n", names[i]);
            awrite_Attribute(value, f, 5);
            awrite_Attribute(hidden, f, 5);
            std::fputs("        )\n      )\n    )\n", f);
        }
        std::fputs("  )\n)\n", f);
    });
    free_Attribute(value);
    free_Attribute(hidden);
    return text;
}

// Golden file: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents before committing it.
TEST(PartSource, TheReaderAcceptsWrittenPartsAndAttributes) {
    std::string source = library_source();
    CompilRecorder recorder;
    ASSERT_EQ(compil_string(source, COMPIL_LIBRARY, recorder, quiet), 0) << source;
    EXPECT_FALSE(recorder.aborted);
    expect_golden("part_source.calls", recorder.log());
    EXPECT_NE(recorder.log().find("vector_ref 1 '7400'"), std::string::npos)
        << "the second part refers to the body written with the first";
}

}  // namespace
