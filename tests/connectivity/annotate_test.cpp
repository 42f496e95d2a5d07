// Annotation: packing of multi-device packages, kept references, the job
// across sheets (saved files and open documents), its failures, and the
// annotation check.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "connectivity/annotate.h"
#include "connectivity/net_context.h"
#include "connectivity/project_fixture.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"

namespace {

using namespace project_test;

struct SchemaFree {
    void operator()(Schema* schema) const { free_Schema(schema, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

std::vector<PlacedPart*> parts_of(Schema* schema) {
    std::vector<PlacedPart*> parts;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM) parts.push_back(as_PlacedPart(item));
    return parts;
}

std::vector<std::string> refs_of(Schema* schema) {
    std::vector<std::string> refs;
    for (PlacedPart* part : parts_of(schema))
        refs.emplace_back(pl_reference_text(schema->library, part));
    return refs;
}

class AnnotateTest : public ProjectTest {
protected:
    // Runs the engine over one sheet in memory as the job does: kept
    // references first (unless uncond), then prepare and assign.
    std::vector<std::string> annotate_in_memory(const std::vector<std::string>& items,
                                                bool uncond = false, bool keep = true) {
        SchemaPtr schema(compile_sheet(sheet(items)));
        AnnoEngine* engine = nullptr;
        anno_engine_init(&engine);
        std::string match = anno_match_text();
        if (!uncond)
            for (PlacedPart* part : parts_of(schema.get()))
                kept_ |= anno_keep_reference(schema.get(), engine, match, part, print_capture);
        for (PlacedPart* part : parts_of(schema.get())) {
            anno_prepare_part(schema.get(), uncond, keep, part);
            assigned_ |= anno_assign_reference(schema.get(), engine, match, part);
        }
        anno_engine_free(engine);
        return refs_of(schema.get());
    }
    int kept_ = 0;
    int assigned_ = 0;
};

// --- packing ---------------------------------------------------------------------------------

TEST_F(AnnotateTest, PackagesFillTheirDevicesBeforeANewNumberIsTaken) {
    // Four gates of one value share U1 (A..D); the fifth opens U2; a gate of
    // another value never joins a package of the first, free devices or not.
    EXPECT_EQ(annotate_in_memory({part("GATE", "U?", "7400"), part("GATE", "U?", "7400"),
                                  part("GATE", "U?", "7400"), part("GATE", "U?", "7400"),
                                  part("GATE", "U?", "7400"), part("GATE", "U?", "7402"),
                                  part("GATE", "U?", "7400")}),
              (std::vector<std::string>{"U1A", "U1B", "U1C", "U1D", "U2A", "U3A", "U2B"}));
    // One-device parts each take a number.
    EXPECT_EQ(annotate_in_memory({part("RES", "R?", "1k"), part("RES", "R?", "1k")}),
              (std::vector<std::string>{"R1", "R2"}));
}

TEST_F(AnnotateTest, KeptReferencesAreAvoidedAndTheirFreeDevicesFilled) {
    proper_set(ANNO_UNCOND, 0, 0);
    EXPECT_EQ(annotate_in_memory({part("RES", "R1", "1k"), part("RES", "R3", "1k"),
                                  part("RES", "R?", "1k"), part("RES", "R?", "1k")}),
              (std::vector<std::string>{"R1", "R3", "R2", "R4"}));
    // U1 holds device B: a new gate of the same value takes U1A, the next U1C.
    EXPECT_EQ(annotate_in_memory({part("GATE", "U1", "7400", 1), part("GATE", "U?", "7400"),
                                  part("GATE", "U?", "7400")}),
              (std::vector<std::string>{"U1B", "U1A", "U1C"}));
    // A part whose reference already names device C keeps it in a new package.
    EXPECT_EQ(annotate_in_memory({part("GATE", "U?", "7400", 2)}),
              (std::vector<std::string>{"U1C"}));
    EXPECT_EQ(kept_, 0);
}

TEST_F(AnnotateTest, UnconditionalAnnotationRenumbersEverything) {
    EXPECT_EQ(annotate_in_memory({part("RES", "R7", "1k"), part("GATE", "U9", "7400", 3),
                                  part("GATE", "U?", "7400", 2)},
                                 true, false),
              (std::vector<std::string>{"R1", "U1A", "U1B"}));
}

TEST_F(AnnotateTest, ConflictingKeptReferencesAreReported) {
    annotate_in_memory({part("RES", "R1", "1k"), part("RES", "R1", "2k")});
    EXPECT_EQ(kept_, -1);
    EXPECT_EQ(printed, "Part R1: bad combine value\n");
    printed.clear();
    kept_ = 0;
    annotate_in_memory({part("GATE", "U1", "7400", 1), part("GATE", "U1", "7400", 1)});
    EXPECT_EQ(kept_, -1);
    EXPECT_EQ(printed, "Part U1B: device already used\n");
}

TEST_F(AnnotateTest, PackagesOfMoreDevicesThanLettersAreRefused) {
    EXPECT_EQ(annotate_in_memory({part("BIG", "X?", "huge"), part("RES", "R?", "1k")}),
              (std::vector<std::string>{"X?A", "R1"}));
    EXPECT_EQ(assigned_, -1);
    annotate_in_memory({part("BIG", "X1", "huge")});
    EXPECT_EQ(kept_, -1);
    EXPECT_EQ(printed, "Part X1A: too many devices\n");
}

TEST_F(AnnotateTest, ChosenFieldsSplitPackagesBeyondTheFirstEight) {
    // Field 10 (attribute 11) is chosen: two gates that differ only there
    // get separate packages.
    proper_set(NB_FIELD_NAME, 12, 0);
    proper_set(ANNOTATE_FIELDS, 9, 1, 0);
    std::vector<const char*> a(10, "x"), b(10, "x");
    b[9] = "y";
    EXPECT_EQ(anno_match_text(), "V,f10");
    EXPECT_EQ(
        annotate_in_memory({part("GATE", "U?", "7400", 0, a), part("GATE", "U?", "7400", 0, b),
                            part("GATE", "U?", "7400", 0, a)}),
        (std::vector<std::string>{"U1A", "U2A", "U1B"}));
}

// --- the job ---------------------------------------------------------------------------------

class AnnotateJobTest : public AnnotateTest {
protected:
    void SetUp() override {
        AnnotateTest::SetUp();
        write_fixture("root.sch", "anno_root.asc");
        write_fixture("sub.sch", "anno_sub.asc");
        list_ = project("root.sch");
    }
    void TearDown() override {
        free_name_list(list_);
        AnnotateTest::TearDown();
    }
    List* list_ = nullptr;
};

// Regenerate with TN_UPDATE_GOLDEN=1 and review the diff of the data folder.
TEST_F(AnnotateJobTest, MultiDevicePackagesArePackedAcrossSheets) {
    proper_set(ANNO_UNCOND, 0, 0);
    ASSERT_EQ(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(references("root.sch"), (std::vector<std::string>{"U1A", "U2B", "R2", "U1B", "R1"}));
    EXPECT_EQ(references("sub.sch"), (std::vector<std::string>{"U1C", "U1D", "U3A", "R3"}));
    std::string both = source_of("root.sch") + source_of("sub.sch");
    tn_test::expect_golden("connectivity/anno_result.asc",
                           std::vector<unsigned char>(both.begin(), both.end()));
    EXPECT_EQ(printed,
              "Starting Annotate using match string 'V'...\n"
              "Keeping Old References\n"
              "Loading schematic file '" +
                  file("root.sch") +
                  "'...\n"
                  "Loading schematic file 'sub.sch'...\n"
                  "Keeping Old References: Done\n"
                  "Backing files...\n"
                  "Backing schematic file '" +
                  file("root.sch") +
                  "'...\n"
                  "Backing schematic file 'sub.sch'...\n"
                  "Backing files: Done\n"
                  "Annoting files...\n"
                  "Saving schematic file '" +
                  file("root.sch") +
                  "'...\n"
                  "Saving schematic file 'sub.sch'...\n"
                  "Annotate: Done\n");
    // The backups hold the files as they were; BAK_FILE itself never moved.
    EXPECT_TRUE(std::filesystem::exists(file("root.BAK")));
    EXPECT_EQ(proper_get(BAK_FILE), 1);
}

TEST_F(AnnotateJobTest, UnannotatingResetsEveryReference) {
    ASSERT_EQ(annotate(print_capture, list_, true), 0);
    EXPECT_EQ(references("root.sch"), (std::vector<std::string>{"U?A", "U?A", "R?", "U?A", "R?"}));
}

TEST_F(AnnotateJobTest, AConflictStopsTheRunBeforeAnyFileChanges) {
    proper_set(ANNO_UNCOND, 0, 0);
    write_sheet("sub.sch", sheet({part("RES", "R1", "1k"), part("RES", "R?", "1k")}));
    auto before = tn_test::read_bytes(file("root.sch"));
    EXPECT_EQ(annotate(print_capture, list_, false), -1);
    EXPECT_NE(printed.find("Part R1: device already used\n"), std::string::npos);
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), before);
    EXPECT_FALSE(std::filesystem::exists(file("root.BAK")));
}

TEST_F(AnnotateJobTest, ASheetThatCannotBeLoadedLeavesEveryFileAsItWas) {
    auto before = tn_test::read_bytes(file("root.sch"));
    tn_test::write_text(file("sub.sch"), "damaged");
    EXPECT_NE(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), before);
}

TEST_F(AnnotateJobTest, AnOpenDocumentIsAnnotatedInPlaceWithItsUnsavedEdits) {
    // The editor holds sub.sch with an unsaved extra resistor.
    SchemaPtr open(compile_sheet(sheet({part("RES", "R?", "1k"), part("RES", "R?", "9k")})));
    std::string sub = file("sub.sch");
    open_in_editor("sub.sch", open.get());
    auto before = tn_test::read_bytes(sub);
    proper_set(ANNO_UNCOND, 0, 0);
    ASSERT_EQ(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(refs_of(open.get()), (std::vector<std::string>{"R3", "R4"}));
    EXPECT_TRUE(schema_is_modified(open.get()));
    EXPECT_EQ(tn_test::read_bytes(sub), before);
    EXPECT_NE(printed.find("Updating schematic file 'sub.sch'...\n"), std::string::npos);
}

TEST_F(AnnotateJobTest, TheFirstSheetGoesToTheOutputFileWhenOneIsSet) {
    proper_set(ANNO_OUTFILE, file("out.sch").c_str(), 0);
    auto before = tn_test::read_bytes(file("root.sch"));
    ASSERT_EQ(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), before);
    EXPECT_EQ(references("out.sch"), (std::vector<std::string>{"U1A", "U2A", "R1", "U1B", "R2"}));
}

// The sheets are saved as one set: one question for the files it replaces,
// naming how many; declined, not one file changes.
TEST_F(AnnotateJobTest, OneQuestionCoversEverySheetTheRunOverwrites) {
    int asked = 0;
    std::string text;
    int answer = ANSWER_CANCEL;
    Services table;
    table.message_box = [&](const char* shown, const char*, int) {
        ++asked;
        text = shown;
        return answer;
    };
    install_services(table);
    set_message_formatter(error_message);  // the program's texts, as the shell installs them
    const auto root = tn_test::read_bytes(file("root.sch"));
    const auto sub = tn_test::read_bytes(file("sub.sch"));
    ASSERT_EQ(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(text, "The files will be Overwritten\n(Sheets 2)");
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), root);
    EXPECT_EQ(tn_test::read_bytes(file("sub.sch")), sub);

    answer = ANSWER_OK;
    ASSERT_EQ(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(asked, 2);
    EXPECT_NE(tn_test::read_bytes(file("sub.sch")), sub);

    // A run whose only written file is new asks nothing.
    proper_set(ANNO_OUTFILE, file("out.sch").c_str(), 0);
    free_name_list(list_);
    write_fixture("single.sch", "anno_sub.asc");
    list_ = project("single.sch");
    ASSERT_EQ(annotate(print_capture, list_, false), 0);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(std::filesystem::exists(file("out.sch")));
    set_message_formatter(nullptr);
}

// --- verification ------------------------------------------------------------------------------

TEST_F(AnnotateTest, TheCheckReportsUnannotatedSheetsAndReferencesOnTwoSheets) {
    write_sheet("a.sch", sheet({part("RES", "R1", "1k"), part("RES", "R1", "1k"),
                                part("GATE", "U1", "7400", 0), box("b.sch"), box("c.sch")}));
    // U1B differs from U1A; r1 is R1 in another case; the duplicate R1 on a.sch is not reported.
    write_sheet("b.sch", sheet({part("GATE", "U1", "7400", 1), part("RES", "r1", "1k")}));
    // An unannotated sheet adds none of its references.
    write_sheet("c.sch", sheet({part("RES", "R5", "1k"), part("RES", "R?", "1k")}));
    write_sheet("d.sch", sheet({part("RES", "R5", "1k")}));
    List* list = project("a.sch");
    slist_append(list, str_dup(file("d.sch").c_str()));
    EXPECT_EQ(check_annotation(list, print_capture), 0);
    EXPECT_TRUE(anno_not_annotated);
    EXPECT_TRUE(anno_duplicates);
    EXPECT_EQ(printed,
              "Annotation verifications ...\n"
              "Loading schematic file '" +
                  file("a.sch") +
                  "'...\n"
                  "Loading schematic file 'b.sch'...\n"
                  "Warning:  'r1' in 'b.sch' already appears in'" +
                  file("a.sch") +
                  "'\n"
                  "Loading schematic file 'c.sch'...\n"
                  "Warning:  'c.sch' is not (or partialy) annotated\n"
                  "Loading schematic file '" +
                  file("d.sch") + "'...\n");
    free_name_list(list);
}

// Many references (the table of those met grows as it fills): every one a
// later sheet repeats is reported, and none else.
TEST_F(AnnotateTest, TheCheckFindsEveryRepeatedReferenceAmongThousands) {
    std::vector<std::string> first, second;
    for (int i = 1; i <= 1500; ++i) {
        const std::string kept = "R" + std::to_string(i);
        const std::string other = "R" + std::to_string(i % 100 ? 2000 + i : i);
        first.push_back(part("RES", kept.c_str(), "1k"));
        second.push_back(part("RES", other.c_str(), "1k"));
    }
    write_sheet("a.sch", sheet(first));
    write_sheet("b.sch", sheet(second));
    List* list = project("a.sch");
    slist_append(list, str_dup(file("b.sch").c_str()));
    EXPECT_EQ(check_annotation(list, print_capture), 0);
    EXPECT_TRUE(anno_duplicates);
    std::string expected;
    for (int i = 100; i <= 1500; i += 100)
        expected += "Warning:  'R" + std::to_string(i) + "' in '" + file("b.sch") +
                    "' already appears in'" + file("a.sch") + "'\n";
    EXPECT_EQ(printed.substr(printed.find("Warning")), expected);
    free_name_list(list);
}

}  // namespace

namespace {

TEST_F(AnnotateTest, WithoutACallbackTheCheckReportsToTheRunningNetJob) {
    write_sheet("a.sch", sheet({part("RES", "R?", "1k")}));
    List* list = project("a.sch");
    set_net_warning_hook(print_capture);
    EXPECT_EQ(check_annotation(list, nullptr), 0);
    set_net_warning_hook(nullptr);
    EXPECT_EQ(printed, "Annotation verifications ...\nLoading schematic file '" + file("a.sch") +
                           "'...\nWarning:  '" + file("a.sch") +
                           "' is not (or partialy) annotated\n");
    free_name_list(list);
}

}  // namespace
