// The batch jobs' outcomes as the running shell shows them, on the example
// hierarchy: the question before a job that would read sheets whose
// changes are not saved, and what a job says (its error box, its log) and
// opens when it fails or succeeds. The job commands are sent as the process
// dialogs' Execute sends them; every question is answered by the script.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <wx/app.h>

#include "dialogs/gui/process_windows_fixture.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/test_env.h"
#include "toolkit/asking.h"
#include "toolkit/wx_test_env.h"

namespace {

namespace fs = std::filesystem;

enum : int {
    JOB_NETLIST = 20167,
    JOB_ERC = 20170,
    JOB_DECOMPILE_LIBRARY = 20180,
};

class JobOutcomes : public ProcessWindows {
protected:
    std::string log() const { return log_frame->Text().utf8_string(); }

    // A job command on the current window, as a process dialog sends it.
    void run_job(int id) {
        menu_command(paint_zone, id, 0);
        wxTheApp->ProcessPendingEvents();
    }

    // The value of the part `reference` of a window's sheet changed as Edit
    // Part changes it, and not saved.
    static void change_value(MyChild* window, const char* reference, const char* value) {
        Schema* schema = window->canvas->mySchema;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* part = as_PlacedPart(item);
            if (std::string(part->reference.text.get()) == reference) part->value.text.set(value);
        }
        canvas_mark_modified(window->canvas);
    }
    static bool modified(MyChild* window) { return schema_is_modified(window->canvas->mySchema); }

    void spice_netlist_to(const std::string& output) {
        proper_set(NETFMT_FORMAT, "SPICE", NETFMT_FIELD, 2, NETFMT_HIER, 0, NETFMT_OUTFILE, output,
                   0);
    }
};

// A sheet changed in one window and a sub-sheet in another: the netlist
// job asks first. Cancel runs nothing; No runs it on the saved files and
// the log names the sheets whose changes it did not see; Yes saves both
// and the netlist holds what the windows show.
TEST_F(JobOutcomes, AJobOverSheetsChangedAndNotSavedAsksFirst) {
    MyChild* amplifier = open_sheet(file("amplifier.sch").c_str(), nullptr);
    ASSERT_NE(amplifier, nullptr);
    change_value(child, "R1", "47k");
    change_value(amplifier, "R3", "33k");
    const std::string deck = file("out.cir");
    spice_netlist_to(deck);
    child->Activate();
    paint_zone = child->canvas;

    script.message(ANSWER_CANCEL);
    run_job(JOB_NETLIST);
    ASSERT_EQ(script.asked().size(), 1u);
    EXPECT_EQ(script.asked()[0].caption, "Please Confirm");
    EXPECT_EQ(script.asked()[0].text, "Save first\n" + file("root.sch") + "\n" +
                                          file("amplifier.sch") +
                                          "\nbefore running Netlist Output");
    EXPECT_FALSE(fs::exists(deck));
    EXPECT_TRUE(modified(child) && modified(amplifier));

    script.message(ANSWER_NO);
    run_job(JOB_NETLIST);
    std::string netlist = tn_test::read_text(deck);
    EXPECT_NE(netlist.find(" 10k"), std::string::npos) << netlist;
    EXPECT_NE(netlist.find(" 100k"), std::string::npos) << netlist;
    EXPECT_NE(
        log().find("Warning:  the job read the saved files: the unsaved changes of " +
                   file("root.sch") + ", " + file("amplifier.sch") + " are not in its result\n"),
        std::string::npos)
        << log();
    EXPECT_TRUE(modified(child) && modified(amplifier));

    script.message(ANSWER_YES);
    run_job(JOB_NETLIST);
    netlist = tn_test::read_text(deck);
    EXPECT_NE(netlist.find(" 47k"), std::string::npos) << netlist;
    EXPECT_NE(netlist.find(" 33k"), std::string::npos) << netlist;
    EXPECT_FALSE(modified(child) || modified(amplifier));
    ASSERT_EQ(script.asked().size(), 3u);

    // A job that stays on the root sheet reads nothing of the sub-sheet.
    change_value(amplifier, "R3", "22k");
    proper_set(NETFMT_HIER, 1, 0);
    paint_zone = child->canvas;
    run_job(JOB_NETLIST);
    EXPECT_EQ(script.asked().size(), 3u);
}

// A library window changed and not saved: Decompile Library, which reads
// the library's file, asks too; Cancel writes nothing.
TEST_F(JobOutcomes, ALibraryJobOverALibraryChangedAndNotSavedAsksFirst) {
    fs::copy_file(fs::path(TN_EXAMPLES_DIR) / "parts.clb", file("parts.clb"));
    MyChild* library = new_library_child(file("parts.clb").c_str());
    ASSERT_NE(library, nullptr);
    canvas_mark_modified(library->canvas);
    paint_zone = library->canvas;
    proper_set(DECOMP_OUTFILE, "", 0);
    script.message(ANSWER_CANCEL);
    run_job(JOB_DECOMPILE_LIBRARY);
    ASSERT_EQ(script.asked().size(), 1u);
    EXPECT_EQ(script.asked()[0].text,
              "Save first\n" + file("parts.clb") + "\nbefore running Decompile Library");
    EXPECT_FALSE(fs::exists(file("parts.slb")));
}

// Annotation numbers the open sheet in its window; the ERC started next
// would read the sheet as saved, not annotated: it asks, and once the sheet
// is saved it finds every part annotated.
TEST_F(JobOutcomes, AnErcAfterAnnotationSeesTheSheetAsItsWindowShowsIt) {
    Schema* schema = child->canvas->mySchema;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM) as_PlacedPart(item)->reference.text.set("R?");
    ASSERT_EQ(canvas_save(child->canvas, false), 0);
    proper_set(ANNO_UNCOND, 0, ANNO_HIER, 1, NETERC_OUTFILE, file("root.erc"), NETERC_HIER, 0, 0);
    menu_command(paint_zone, 20163, 0);  // Annotate
    wxTheApp->ProcessPendingEvents();
    ASSERT_TRUE(modified(child));
    EXPECT_TRUE(script.asked().empty());  // annotation works on the open sheet itself

    // Run on the saved file, the ERC finds the sheet not annotated.
    script.message(ANSWER_NO);
    run_job(JOB_ERC);
    ASSERT_EQ(script.asked().size(), 1u);
    EXPECT_EQ(script.asked()[0].text, "Save first\n" + file("root.sch") + "\nbefore running ERC");
    EXPECT_NE(log().find("is not (or partialy) annotated"), std::string::npos) << log();
    const size_t before = log().size();
    script.message(ANSWER_YES);
    run_job(JOB_ERC);
    EXPECT_FALSE(modified(child));
    const std::string second = log().substr(before);
    EXPECT_NE(second.find("Creating ERC Report"), std::string::npos) << second;
    EXPECT_EQ(second.find("annotated"), std::string::npos) << second;
}

// A sub-sheet that is not there: the error box and the log name it, not the
// report file.
TEST_F(JobOutcomes, TheErcNamesTheSubSheetItCannotFind) {
    fs::remove(file("amplifier.sch"));
    proper_set(NETERC_OUTFILE, file("root.erc"), NETERC_HIER, 0, 0);
    script.message(ANSWER_OK);
    run_job(JOB_ERC);
    ASSERT_EQ(script.asked().size(), 1u);
    EXPECT_EQ(script.asked()[0].caption, "Error");
    EXPECT_EQ(script.asked()[0].text, "Sheet not found:\namplifier.sch");
    EXPECT_NE(log().find("*** ERROR *** : Sheet not found: amplifier.sch\n"), std::string::npos)
        << log();
    EXPECT_EQ(log().find("Done."), std::string::npos) << log();
}

// Decompile Library on a sheet writes the parts the sheet holds.
TEST_F(JobOutcomes, DecompileLibraryOnASheetWritesTheSheetsOwnParts) {
    proper_set(DECOMP_OUTFILE, "", DECOMP_VERBOSE, 1, 0);
    run_job(JOB_DECOMPILE_LIBRARY);
    const std::string source = tn_test::read_text(file("root.slb"));
    EXPECT_NE(source.find("(NAME 'parts/RES'"), std::string::npos) << source;
    EXPECT_NE(log().find("Conversion done\n"), std::string::npos) << log();
}

}  // namespace
