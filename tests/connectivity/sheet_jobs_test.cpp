// Jobs that change every sheet of a project (annotation, back-annotation):
// a design is changed whole or not at all, whatever stops the job.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "connectivity/annotate.h"
#include "connectivity/backannotate.h"
#include "connectivity/bom.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "connectivity/project_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/compil_actions.h"
#include "platform/safe_replace.h"

namespace {

using namespace project_test;
namespace fs = std::filesystem;

constexpr int SHEETS = 10;

std::string sub_name(int k) { return "sub" + std::to_string(k) + ".sch"; }
std::string sheet_name(int k) { return k == 0 ? "root.sch" : sub_name(k); }
std::string ref(int n) { return "R" + std::to_string(n); }

// A root with nine sub-sheets; sheet k holds three resistors.
class SheetJobsTest : public ProjectTest {
protected:
    // Writes the design with the references given for sheet k and keeps
    // the files' bytes as the design before any job.
    void write_design(const std::function<std::vector<std::string>(int)>& refs) {
        for (int k = 0; k < SHEETS; ++k) {
            std::vector<std::string> items;
            for (const std::string& r : refs(k)) items.push_back(part("RES", r.c_str(), "1k"));
            if (k == 0)
                for (int b = 1; b < SHEETS; ++b) items.push_back(box(sub_name(b).c_str()));
            write_sheet(sheet_name(k), sheet(items));
            old_bytes_.push_back(tn_test::read_bytes(file(sheet_name(k))));
            old_.push_back(refs(k));
        }
    }
    void restore_design() {
        for (int k = 0; k < SHEETS; ++k) tn_test::write_bytes(file(sheet_name(k)), old_bytes_[k]);
    }
    // "old", "new", "mixed" (some sheets old, the others new) or "wrong".
    std::string state() {
        int olds = 0, news = 0;
        for (int k = 0; k < SHEETS; ++k) {
            std::vector<std::string> now = references(sheet_name(k));
            olds += now == old_[k];
            news += now == new_[k];
        }
        if (news == SHEETS) return "new";
        if (olds == SHEETS) return "old";
        return olds + news == SHEETS ? "mixed" : "wrong";
    }
    bool record_pending() { return fs::exists(temporary_stem(file("root.sch")) + ".j"); }
    // Runs the job in a child process killed `rounds` times: at a random
    // instant of its run, or (every other round) at a random one of the
    // steps in which it replaces files, a short part of the run. After each
    // kill the design is old, new, or half replaced with the record that
    // lets one more run complete it, and one more run (when it is not new)
    // makes it new.
    void kill_at_random(int rounds) {
        static int steps, stop_at;
        auto run_child = [&](int stop) {
            std::fflush(nullptr);
            pid_t child = fork();
            if (child == 0) {
                stop_at = stop;
                set_replace_step_hook([](int) {
                    if (++steps == stop_at) raise(SIGKILL);
                });
                _exit(run());
            }
            return child;
        };
        // The length of a whole run, and its count of steps.
        steps = 0;
        set_replace_step_hook([](int) { ++steps; });
        ASSERT_EQ(run(), 0);
        set_replace_step_hook(nullptr);
        const int all_steps = steps;
        restore_design();
        auto start = std::chrono::steady_clock::now();
        pid_t whole = run_child(0);
        int status = 0;
        ASSERT_EQ(waitpid(whole, &status, 0), whole);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        auto span = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
        ASSERT_EQ(state(), "new");
        unsigned seed = 20261207;
        for (int round = 0; round < rounds; ++round) {
            restore_design();
            seed = seed * 1103515245u + 12345u;
            std::string at;
            pid_t child;
            if (round % 2) {
                int stop = 1 + static_cast<int>((seed >> 8) % static_cast<unsigned>(all_steps));
                at = "step " + std::to_string(stop) + " of " + std::to_string(all_steps);
                steps = 0;
                child = run_child(stop);
            } else {
                long delay = static_cast<long>((seed >> 8) % static_cast<unsigned>(span + 1));
                at = std::to_string(delay) + " us of " + std::to_string(span);
                child = run_child(0);
                usleep(static_cast<useconds_t>(delay));
                kill(child, SIGKILL);
            }
            waitpid(child, nullptr, 0);
            std::string now = state();
            bool pending = record_pending();
            ASSERT_NE(now, "wrong") << at;
            if (now == "mixed") {
                ASSERT_TRUE(pending) << "half replaced without a record, " << at;
            }
            if (now != "new" || pending) {
                printed.clear();
                ASSERT_EQ(run(), 0) << printed;
                ASSERT_EQ(state(), "new") << at << ", from " << now << "\n" << printed;
            }
            ASSERT_FALSE(record_pending()) << at;
        }
    }

    // A sheet that cannot be saved (here one the user may not write) fails
    // the job before any file changed; fixed, one run makes the design new.
    void a_read_only_sheet_changes_nothing() {
        fs::permissions(dir_.path(), fs::perms::all);
        for (int k = 0; k < SHEETS; ++k)
            ASSERT_EQ(chown(file(sheet_name(k)).c_str(), 65534, 65534) == 0 || geteuid() != 0,
                      true);
        std::string locked = file(sub_name(SHEETS - 1));
        chmod(locked.c_str(), 0444);
        EXPECT_EQ(tn_test::run_unprivileged([&] {
                      printed.clear();
                      int code = run();
                      bool reported =
                          printed.find("Cannot save '" + sub_name(SHEETS - 1) +
                                       "' (Code 50): no sheet was changed") != std::string::npos;
                      bool done = printed.find("Annotate: Done") != std::string::npos;
                      return code == 50 && reported && !done ? 0 : 1;
                  }),
                  0);
        EXPECT_EQ(state(), "old");
        EXPECT_FALSE(record_pending());
        chmod(locked.c_str(), 0644);
        printed.clear();
        EXPECT_EQ(run(), 0) << printed;
        EXPECT_EQ(state(), "new");
    }

    virtual int run() = 0;

    std::vector<std::vector<std::string>> old_, new_;
    std::vector<std::vector<unsigned char>> old_bytes_;
};

class AnnotateSheetsTest : public SheetJobsTest {
protected:
    void SetUp() override {
        SheetJobsTest::SetUp();
        proper_set(ANNO_UNCOND, 0, 0);
        write_design([](int) { return std::vector<std::string>(3, "R?"); });
        for (int k = 0; k < SHEETS; ++k)
            new_.push_back({ref(3 * k + 1), ref(3 * k + 2), ref(3 * k + 3)});
    }
    int run() override {
        List* list = project("root.sch");
        int code = annotate(print_capture, list, false);
        free_name_list(list);
        return code;
    }
};

class BackannotateSheetsTest : public SheetJobsTest {
protected:
    // Sheet k holds R(10k+1) .. R(10k+3); the change file exchanges the
    // first two of every sheet and renames the third, so that applying it
    // twice undoes half of it.
    void SetUp() override {
        SheetJobsTest::SetUp();
        write_design([](int k) {
            return std::vector<std::string>{ref(10 * k + 1), ref(10 * k + 2), ref(10 * k + 3)};
        });
        std::string changes;
        for (int k = 0; k < SHEETS; ++k) {
            std::string a = ref(10 * k + 1), b = ref(10 * k + 2), c = ref(10 * k + 3);
            changes += "'" + a + "' '" + b + "'\n'" + b + "' '" + a + "'\n'" + c + "' '" +
                       ref(10 * k + 503) + "'\n";
            new_.push_back({b, a, ref(10 * k + 503)});
        }
        tn_test::write_text(file("root.ban"), changes);
    }
    int run() override {
        List* list = project("root.sch");
        std::string name;
        int code = backannotate(file("root.sch").c_str(), &name, print_capture, list);
        free_name_list(list);
        return code;
    }
};

// The design compiled from sources that give every part a new reference.
class CompileSheetsTest : public SheetJobsTest {
protected:
    void SetUp() override {
        SheetJobsTest::SetUp();
        write_design([](int k) { return std::vector<std::string>(3, ref(10 * k + 1)); });
        for (int k = 0; k < SHEETS; ++k) {
            new_.push_back({ref(10 * k + 7), ref(10 * k + 8), ref(10 * k + 9)});
            std::vector<std::string> items;
            for (const std::string& r : new_[k]) items.push_back(part("RES", r.c_str(), "1k"));
            if (k == 0)
                for (int b = 1; b < SHEETS; ++b) items.push_back(box(sub_name(b).c_str()));
            std::string source = sheet_name(k);
            source.replace(source.size() - 4, 4, ".asc");
            tn_test::write_text(file(source), sheet(items));
        }
    }
    int run() override {
        return compile_sheets(file("root.asc").c_str(), "", nullptr, nullptr, print_capture);
    }
};

TEST_F(AnnotateSheetsTest, ASheetThatCannotBeSavedChangesNoSheet) {
    proper_set(ANNO_VERBOSE, 1, 0);
    a_read_only_sheet_changes_nothing();
}

TEST_F(BackannotateSheetsTest, ASheetThatCannotBeSavedChangesNoSheet) {
    a_read_only_sheet_changes_nothing();
    // Run again on the new design, the file goes on from there (the
    // exchanges go back): only a completed stop is never applied twice.
    EXPECT_EQ(run(), 0);
    EXPECT_NE(state(), "new");
}

TEST_F(BackannotateSheetsTest, AStoppedRunIsCompletedOnceAndOtherJobsWaitForIt) {
    int code = tn_test::run_in_child([&] {
        static int replaced;
        replaced = 0;
        set_replace_step_hook([](int step) {
            if (step == 6 && ++replaced == 3) raise(SIGKILL);
        });
        return run();
    });
    ASSERT_EQ(code, 255) << "killed";
    ASSERT_EQ(state(), "mixed");
    const std::string root = file("root.sch");
    EXPECT_EQ(erc_report(root.c_str(), file("root.erc").c_str(), print_capture), 86);
    EXPECT_EQ(bill_of_materials(root.c_str(), file("root.bom").c_str(), print_capture), 86);
    EXPECT_EQ(netlist_compile(root.c_str(), print_capture), 86);
    EXPECT_NE(printed.find("were left half saved by a stopped back-annotation: run the "
                           "back-annotation again to complete them"),
              std::string::npos)
        << printed;
    EXPECT_EQ(state(), "mixed");
    printed.clear();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state(), "new");
    EXPECT_NE(printed.find("The change file is not applied again\n"), std::string::npos) << printed;
    EXPECT_EQ(erc_report(root.c_str(), file("root.erc").c_str(), print_capture), 0) << printed;
}

// --- a stopped run is completed by the same job only -----------------------------------------

// Kills the job `run` once it replaced `replaced` sheets (the record is on
// disk from the first).
int stop_at_step(int stop, int times, const std::function<int()>& run) {
    return tn_test::run_in_child([&] {
        static int at, left;
        at = stop;
        left = times;
        set_replace_step_hook([](int step) {
            if (step == at && --left == 0) raise(SIGKILL);
        });
        return run();
    });
}
int stop_after_replacing(int replaced, const std::function<int()>& run) {
    return stop_at_step(6, replaced, run);
}

class StoppedRunTest : public BackannotateSheetsTest {
protected:
    int unannotate() {
        proper_set(ANNO_UNCOND, 1, 0);
        List* list = project("root.sch");
        int code = annotate(print_capture, list, true);
        free_name_list(list);
        return code;
    }
    // How many sheets hold no annotated part.
    int unannotated() {
        int n = 0;
        for (int k = 0; k < SHEETS; ++k)
            n += references(sheet_name(k)) == std::vector<std::string>(3, "R?");
        return n;
    }
    int backannotate_with(const std::string& changes) {
        tn_test::write_text(file("root.ban"), changes);
        return run();
    }
};

TEST_F(StoppedRunTest, AStoppedUnannotationIsCompletedByAnUnannotationOnly) {
    ASSERT_EQ(stop_after_replacing(3, [&] { return unannotate(); }), 255);
    ASSERT_EQ(unannotated(), 3);
    const std::string changes = tn_test::read_text(file("root.ban"));
    printed.clear();
    EXPECT_EQ(run(), JOB_HALF_SAVED);
    EXPECT_NE(printed.find("were left half saved by a stopped un-annotation: run the "
                           "un-annotation again to complete them"),
              std::string::npos)
        << printed;
    EXPECT_EQ(printed.find("not applied again"), std::string::npos) << printed;
    EXPECT_EQ(annotate(print_capture, nullptr, false), 0) << "an empty list takes nothing";
    List* list = project("root.sch");
    EXPECT_EQ(annotate(print_capture, list, false), JOB_HALF_SAVED) << "annotating is not undoing";
    free_name_list(list);
    EXPECT_EQ(bill_of_materials(file("root.sch").c_str(), file("root.bom").c_str(), print_capture),
              JOB_HALF_SAVED);
    EXPECT_EQ(unannotated(), 3) << "nothing moved";
    printed.clear();
    EXPECT_EQ(unannotate(), 0) << printed;
    EXPECT_NE(printed.find("left half saved by a stopped un-annotation are all saved now"),
              std::string::npos)
        << printed;
    EXPECT_EQ(unannotated(), SHEETS);
    EXPECT_FALSE(record_pending());
    EXPECT_EQ(backannotate_with(changes), 0) << printed;
}

TEST_F(StoppedRunTest, AStoppedBackannotationIsCompletedWithItsOwnChangeFileOnly) {
    const std::string changes = tn_test::read_text(file("root.ban"));
    ASSERT_EQ(stop_after_replacing(3, [&] { return run(); }), 255);
    ASSERT_EQ(state(), "mixed");
    // Another change file (the same with a comment) is not this run's.
    printed.clear();
    EXPECT_EQ(backannotate_with("/* again */\n" + changes), JOB_HALF_SAVED);
    EXPECT_NE(printed.find("by a stopped back-annotation of another change file: run the "
                           "back-annotation of that file again to complete them"),
              std::string::npos)
        << printed;
    EXPECT_EQ(state(), "mixed");
    printed.clear();
    EXPECT_EQ(backannotate_with(changes), 0);
    EXPECT_NE(printed.find("The change file is not applied again\n"), std::string::npos) << printed;
    EXPECT_EQ(state(), "new");
}

TEST_F(StoppedRunTest, ARecordWithNothingLeftToMoveStopsNoJob) {
    // Stopped after its last sheet, before its record went: the design is
    // whole, and the next job, whatever it is, runs as if nothing stopped.
    ASSERT_EQ(stop_after_replacing(SHEETS, [&] { return unannotate(); }), 255);
    ASSERT_EQ(unannotated(), SHEETS);
    ASSERT_TRUE(record_pending());
    EXPECT_EQ(bill_of_materials(file("root.sch").c_str(), file("root.bom").c_str(), print_capture),
              0)
        << printed;
    ASSERT_TRUE(record_pending()) << "a job that only reads leaves it";
    restore_design();  // back to references the change file renames
    printed.clear();
    EXPECT_EQ(run(), 0) << printed;
    EXPECT_EQ(printed.find("not applied again"), std::string::npos) << printed;
    EXPECT_EQ(state(), "new") << "the change file was applied";
    EXPECT_FALSE(record_pending());
}

// Killed once its first sheet went in place, a compile leaves the record
// that the next compile completes; every other job waits for it.
TEST_F(CompileSheetsTest, AStoppedCompileIsCompletedByTheNextAndOtherJobsWaitForIt) {
    int code = tn_test::run_in_child([&] {
        set_replace_step_hook([](int step) {
            if (step == 3 || step == 6) raise(SIGKILL);
        });
        return run();
    });
    ASSERT_EQ(code, 255) << "killed";
    ASSERT_EQ(state(), "mixed");
    ASSERT_TRUE(record_pending()) << "a design half replaced says so";
    const std::string root = file("root.sch");
    printed.clear();
    EXPECT_EQ(netlist_compile(root.c_str(), print_capture), JOB_HALF_SAVED);
    List* list = project("root.sch");
    EXPECT_EQ(annotate(print_capture, list, false), JOB_HALF_SAVED);
    free_name_list(list);
    EXPECT_NE(printed.find("were left half saved by a stopped compile: run the compile again "
                           "to complete them"),
              std::string::npos)
        << printed;
    EXPECT_EQ(state(), "mixed");
    printed.clear();
    EXPECT_EQ(run(), 0) << printed;
    EXPECT_NE(printed.find("left half saved by a stopped compile are all saved now"),
              std::string::npos)
        << printed;
    EXPECT_EQ(state(), "new");
    EXPECT_FALSE(record_pending());
}

TEST_F(CompileSheetsTest, KillsAtRandomInstantsLeaveTheDesignWholeOrCompletable) {
    kill_at_random(12);
}

// Stopped when a sheet went in place and its old file still stands under
// the staged file's name, a run is completed as after any other stop.
TEST_F(AnnotateSheetsTest, AStopBeforeTheOldFileOfASheetGoesIsCompleted) {
    ASSERT_EQ(stop_at_step(7, 2, [&] { return run(); }), 255) << "killed";
    ASSERT_EQ(state(), "mixed");
    ASSERT_TRUE(record_pending());
    printed.clear();
    EXPECT_EQ(run(), 0) << printed;
    EXPECT_EQ(state(), "new");
    EXPECT_FALSE(record_pending());
}

// --- what a failure leaves --------------------------------------------------------------------

TEST_F(AnnotateSheetsTest, ARecordThatCannotBeWrittenChangesNoSheetAndSaysSo) {
    int code = tn_test::run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        // The disk is full once the sheets are staged: the record's folder
        // is flushed just before it is written.
        set_replace_step_hook([](int step) {
            rlimit none{0, RLIM_INFINITY};
            if (step == 4) setrlimit(RLIMIT_FSIZE, &none);
        });
        printed.clear();
        int result = run();
        bool said = printed.find("could not be replaced (Code 6): no sheet was changed") !=
                    std::string::npos;
        bool promised = printed.find("the next run completes them") != std::string::npos;
        return result == 6 && said && !promised ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(state(), "old");
    EXPECT_FALSE(record_pending());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), SHEETS)
        << "no temporary is left";
}

TEST_F(AnnotateSheetsTest, AnErcThatCannotSaveItsMarksLeavesNoReportCutShort) {
    // Every sheet's parts share a time stamp: the check renumbers them and
    // saves every sheet, the last of which the user may not write.
    fs::permissions(dir_.path(), fs::perms::all);
    for (int k = 0; k < SHEETS; ++k)
        ASSERT_EQ(chown(file(sheet_name(k)).c_str(), 65534, 65534) == 0 || geteuid() != 0, true);
    chmod(file(sub_name(SHEETS - 1)).c_str(), 0444);
    const std::string root = file("root.sch"), report = file("root.erc");
    EXPECT_EQ(tn_test::run_unprivileged([&] {
                  printed.clear();
                  int code = erc_report(root.c_str(), report.c_str(), print_capture);
                  bool said = printed.find("The check stopped (Code 50): the report '" + report +
                                           "' is not written") != std::string::npos;
                  return code == 50 && said ? 0 : 1;
              }),
              0);
    EXPECT_FALSE(fs::exists(report));
    EXPECT_FALSE(fs::exists(file("root.bnt"))) << "no net file of the run is in place";
    for (int k = 0; k < SHEETS; ++k)
        EXPECT_EQ(tn_test::read_bytes(file(sheet_name(k))), old_bytes_[k]) << sheet_name(k);
}

// --- one sheet, one file -----------------------------------------------------------------------

class SpellingsTest : public ProjectTest {
protected:
    // A root whose boxes name sub.sch in several spellings.
    void write_project(const std::vector<std::string>& spellings) {
        std::vector<std::string> items{part("RES", "R?", "1k")};
        for (const std::string& name : spellings) items.push_back(box(name.c_str()));
        write_sheet("root.sch", sheet(items));
        write_sheet("sub.sch", sheet({part("RES", "R?", "2k"), part("RES", "R?", "3k")}));
    }
    std::vector<std::string> listed() {
        bool repeated = false;
        List* list = list_project_sheets(file("root.sch").c_str(), false, &repeated);
        std::vector<std::string> names;
        for (const char* name : list_items<const char>(list)) names.emplace_back(name);
        free_name_list(list);
        EXPECT_TRUE(repeated);
        return names;
    }
};

TEST_F(SpellingsTest, EveryJobListsASheetNamedInSeveralSpellingsOnce) {
    write_project({"sub.sch", "SUB.SCH", "sub", file("sub.sch"), "Sub.Sch", "./sub.sch"});
    EXPECT_EQ(listed(), (std::vector<std::string>{file("root.sch"), "sub.sch"}));
    proper_set(ANNO_UNCOND, 0, 0);
    List* list = project("root.sch");
    ASSERT_EQ(annotate(print_capture, list, false), 0) << printed;
    EXPECT_EQ(references("sub.sch"), (std::vector<std::string>{"R2", "R3"}));
    printed.clear();
    EXPECT_EQ(check_annotation(list, print_capture), 0);
    EXPECT_EQ(printed.find("already appears"), std::string::npos) << printed;
    free_name_list(list);
    ASSERT_EQ(bill_of_materials(file("root.sch").c_str(), file("out.bom").c_str(), print_capture),
              0);
    std::string bom = tn_test::read_text(file("out.bom"));
    EXPECT_NE(bom.find("R2"), std::string::npos) << bom;
    EXPECT_EQ(bom.find("R2,"), std::string::npos) << "one part once:\n" << bom;
}

TEST_F(SpellingsTest, TheCompileJobCompilesASourceNamedInSeveralSpellingsOnce) {
    tn_test::write_text(file("root.asc"), sheet({box("sub.sch"), box("SUB.SCH"), box("sub")}));
    tn_test::write_text(file("sub.asc"), sheet({part("RES", "R1", "1k")}));
    SheetList compiled;
    ASSERT_EQ(compile_sheets(file("root.asc").c_str(), "", &compiled, nullptr, print_capture), 0)
        << printed;
    ASSERT_EQ(compiled.size(), 2u);
    EXPECT_EQ(compiled[1].name, "sub.sch");
    EXPECT_EQ(references("sub.sch"), (std::vector<std::string>{"R1"}));
}

// --- names from the folder of the sheet that holds them ---------------------------------------

TEST_F(SpellingsTest, DotNamesAreTakenFromTheSheetsFolderWhereverTheProgramRuns) {
    // root names ./a/x.sch; x names ../y.sch (beside root) and ./z.sch (in a).
    std::filesystem::create_directory(dir_.path() / "a");
    ASSERT_NE(std::filesystem::current_path(), dir_.path());
    auto items = [](const char* ref, std::vector<const char*> boxes) {
        std::vector<std::string> all{part("RES", ref, "1k")};
        for (const char* b : boxes) all.push_back(box(b));
        return sheet(all);
    };
    const std::vector<std::pair<std::string, std::string>> sources{
        {"root", items("R1", {"./a/x.sch"})},
        {"a/x", items("R2", {"../y.sch", "./z.sch"})},
        {"y", items("R3", {})},
        {"a/z", items("R4", {})}};
    for (const auto& [name, source] : sources) tn_test::write_text(file(name + ".asc"), source);
    SheetList compiled;
    ASSERT_EQ(compile_sheets(file("root.asc").c_str(), "", &compiled, nullptr, print_capture), 0)
        << printed;
    EXPECT_EQ(compiled.size(), 4u);
    for (const auto& [name, source] : sources)
        EXPECT_TRUE(std::filesystem::exists(file(name + ".sch"))) << name;
    EXPECT_EQ(references("a/z.sch"), (std::vector<std::string>{"R4"}));

    List* list = project("root.sch");
    EXPECT_EQ(list ? list->count : 0u, 4u);
    free_name_list(list);
    const std::string root = file("root.sch");
    ASSERT_EQ(netlist_compile(root.c_str(), print_capture), 0) << printed;
    EXPECT_TRUE(std::filesystem::exists(file("a/z.bnt")));
    EXPECT_TRUE(std::filesystem::exists(file("y.bnt")));
    ASSERT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 0)
        << printed;
}

TEST_F(AnnotateSheetsTest, KillsAtRandomInstantsLeaveTheDesignWholeOrCompletable) {
    kill_at_random(12);
}

TEST_F(BackannotateSheetsTest, KillsAtRandomInstantsLeaveTheDesignWholeOrCompletable) {
    kill_at_random(12);
}

TEST_F(SpellingsTest, ACompileThatFailsPutsNoSheetInPlace) {
    tn_test::write_text(file("root.asc"), sheet({part("RES", "R1", "1k"), box("sub.sch")}));
    tn_test::write_text(file("sub.asc"), sheet({part("RES", "R2", "2k")}));
    ASSERT_EQ(compile_sheets(file("root.asc").c_str(), "", nullptr, nullptr, print_capture), 0)
        << printed;
    const auto root = tn_test::read_bytes(file("root.sch"));
    const auto sub = tn_test::read_bytes(file("sub.sch"));
    // The root changes and compiles; the sub-sheet's source is cut short.
    tn_test::write_text(file("root.asc"), sheet({part("RES", "R5", "1k"), box("sub.sch")}));
    tn_test::write_text(file("sub.asc"), "(SCHEMATIC\n  (SHEET\n");
    printed.clear();
    EXPECT_EQ(compile_sheets(file("root.asc").c_str(), "", nullptr, nullptr, print_capture), 8);
    EXPECT_NE(printed.find("Compilation stopped (Code 8): no sheet was replaced\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), root);
    EXPECT_EQ(tn_test::read_bytes(file("sub.sch")), sub);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 4)
        << "two sources and two sheets: no temporary, no backup";
}

}  // namespace
