// A project received from someone else never makes a job write outside
// itself: every job that writes replaces only files of the kind it writes,
// whether the file is reached through a sheet name leading out of the
// project ("../outside/o.sch") or through a symbolic link, and a refused
// write leaves the rest of the job's files as they were. The foreign
// conversions write into their folder (the project or library directory). Hierarchies over
// folders and sheets that are links to sheets keep working.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "connectivity/annotate.h"
#include "connectivity/backannotate.h"
#include "connectivity/bom.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "connectivity/project_fixture.h"
#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/sdt2sc.h"
#include "import/sdt_files.h"
#include "import/sdt_job.h"
#include "model/documents/batch.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"

namespace {

using namespace project_test;
namespace fs = std::filesystem;

const std::string NOTES = "the user's own notes\n";

// A root in proj/ naming a sheet of a sibling folder and one beside it:
//   proj/root: R?, boxes "../outside/o.sch" and "sub.sch"
//   proj/sub:  R?            outside/o: R?
class ProjectWritesTest : public ProjectTest {
public:
    using ProjectTest::file;
    using ProjectTest::references;

protected:
    void SetUp() override {
        ProjectTest::SetUp();
        fs::create_directory(dir_.path() / "proj");
        fs::create_directory(dir_.path() / "outside");
        proper_set(DIR_PROJECT, file("proj").c_str(), DIR_LIBRARY, file("proj").c_str(), 0);
        proper_set(ANNO_UNCOND, 0, ANNO_OUTFILE, "", BACK_OUTFILE, "", 0);
        tn_test::write_text(file("outside/notes.txt"), NOTES);
    }

public:
    std::string root_source() const {
        return sheet({part("RES", "R?", "1k"), box("../outside/o.sch"), box("sub.sch")});
    }
    void write_sheets() {
        write_sheet("proj/root.sch", root_source());
        write_sheet("proj/sub.sch", sheet({part("RES", "R?", "2k")}));
        write_sheet("outside/o.sch", sheet({part("RES", "R?", "3k")}));
    }
    void write_sources() {
        tn_test::write_text(file("proj/root.asc"), root_source());
        tn_test::write_text(file("proj/sub.asc"), sheet({part("RES", "R1", "2k")}));
        tn_test::write_text(file("outside/o.asc"), sheet({part("RES", "R2", "3k")}));
    }
    // The library of a sheet, compiled and as source, for the library jobs.
    void write_library() {
        Schema* schema = nullptr;
        ASSERT_EQ(load_schema_file(&schema, file("proj/sub.sch").c_str()), 0);
        set_Library_name(schema->library, "LIB");
        ASSERT_EQ(save_Library(file("proj/lib.clb").c_str(), schema->library), 0);
        ASSERT_EQ(asave_Library(file("proj/lib.slb").c_str(), schema->library), 0);
        close_schema(nullptr, &schema);
    }
    List* sheets() { return project(file("proj/root.sch")); }
    // Foreign sheets in foreign/: top.sch names the sub-sheet files given.
    void write_foreign(const std::string& name, const std::vector<std::string>& subs) {
        fs::create_directories(dir_.path() / "foreign");
        sdt_test::File32 f;
        int y = 0;
        for (const std::string& sub : subs) f.sheet(10, y += 50, 20, 20, sub, "S", {});
        tn_test::write_bytes(file(name), f.end().bytes);
    }
    int convert_foreign() {
        proper_set(SDT_HIER, 0, SDT_VERBOSE, 0, 0);
        return convert_orcad_schematic(file("foreign/top.sch").c_str(), print_capture, nullptr);
    }
};

// A job with what it reads made ready, run so that it writes `target`.
struct WritingJob {
    const char* name;
    std::function<void(ProjectWritesTest&)> prepare;
    std::function<int(ProjectWritesTest&, const std::string& target)> run;
    // The file the job writes: reached through "../outside/" (a file of
    // another kind there), and a file of the project made a link to the
    // user's notes. Relative to the test's folder.
    const char* outside;
    const char* link;
    // True when nothing else of the job is in place.
    std::function<bool(ProjectWritesTest&)> nothing_else;
    // False for a job whose names never lead out of its folder (it writes
    // base names there): `outside` is then a file of another kind in it.
    bool names_lead_out = true;
};

int run_over_sheets(ProjectWritesTest& t, const std::function<int(List*)>& job) {
    List* list = t.sheets();
    int code = list ? job(list) : -99;
    free_name_list(list);
    return code;
}

void PrintTo(const WritingJob& job, std::ostream* out) { *out << job.name; }

struct Variant {
    WritingJob job;
    bool through_link;
};

class EveryWritingJob : public ProjectWritesTest, public testing::WithParamInterface<Variant> {};

TEST_P(EveryWritingJob, ReplacesNoFileOfAnotherKindNorWritesThroughALinkToOne) {
    const Variant& v = GetParam();
    v.job.prepare(*this);
    const std::string target = file(v.through_link ? v.job.link : v.job.outside);
    if (v.through_link) {
        fs::remove(target);
        fs::create_symlink(file("outside/notes.txt"), target);
    } else {
        tn_test::write_text(target, NOTES);
    }
    printed.clear();
    EXPECT_EQ(v.job.run(*this, target), FILE_NOT_WRITTEN) << printed;
    EXPECT_EQ(tn_test::read_text(file("outside/notes.txt")), NOTES);
    EXPECT_EQ(tn_test::read_text(target), NOTES);
    EXPECT_FALSE(fs::exists(file("outside/notes.BAK")));
    if (v.through_link) {
        EXPECT_TRUE(fs::is_symlink(target));
    }
    EXPECT_NE(printed.find("*** ERROR *** : '" + target + "' is not written: it is not "),
              std::string::npos)
        << printed;
    if (v.job.nothing_else) {
        EXPECT_TRUE(v.job.nothing_else(*this)) << "nothing else in place";
    }
}

bool no_file(ProjectWritesTest& t, const char* name) { return !fs::exists(t.file(name)); }

std::vector<WritingJob> writing_jobs() {
    auto sheets = [](ProjectWritesTest& t) { t.write_sheets(); };
    auto compiled = [](ProjectWritesTest& t) {
        t.write_sheets();
        ASSERT_EQ(netlist_compile(t.file("proj/root.sch").c_str(), print_capture), 0) << printed;
    };
    auto linked = [](ProjectWritesTest& t) {
        t.write_sheets();
        ASSERT_EQ(netlist_compile(t.file("proj/root.sch").c_str(), print_capture), 0) << printed;
        ASSERT_EQ(
            netlist_link(t.file("proj/root").c_str(), t.file("proj/linked").c_str(), print_capture),
            0)
            << printed;
    };
    auto library = [](ProjectWritesTest& t) {
        t.write_sheets();
        t.write_library();
    };
    auto unchanged = [](ProjectWritesTest& t) {
        return t.references("proj/sub.sch") == std::vector<std::string>{"R?"};
    };
    return {
        {"Compile", [](ProjectWritesTest& t) { t.write_sources(); },
         [](ProjectWritesTest& t, const std::string&) {
             return compile_sheets(t.file("proj/root.asc").c_str(), "", nullptr, nullptr,
                                   print_capture);
         },
         "outside/o.sch", "proj/sub.sch",
         [](ProjectWritesTest& t) { return no_file(t, "proj/root.sch"); }},
        {"NetCompile", sheets,
         [](ProjectWritesTest& t, const std::string&) {
             return netlist_compile(t.file("proj/root.sch").c_str(), print_capture);
         },
         "outside/o.bnt", "proj/sub.bnt",
         [](ProjectWritesTest& t) { return no_file(t, "proj/root.bnt"); }},
        {"ErcNetFile", sheets,
         [](ProjectWritesTest& t, const std::string&) {
             return erc_report(t.file("proj/root.sch").c_str(), t.file("proj/root.erc").c_str(),
                               print_capture);
         },
         "outside/o.bnt", "proj/sub.bnt",
         [](ProjectWritesTest& t) {
             return no_file(t, "proj/root.bnt") && no_file(t, "proj/root.erc");
         }},
        {"ErcReport", sheets,
         [](ProjectWritesTest& t, const std::string& target) {
             return erc_report(t.file("proj/root.sch").c_str(), target.c_str(), print_capture);
         },
         "outside/x.erc", "proj/root.erc",
         [](ProjectWritesTest& t) { return no_file(t, "proj/root.bnt"); }},
        {"Link", compiled,
         [](ProjectWritesTest& t, const std::string& target) {
             std::string output = target.substr(0, target.size() - 4);
             return netlist_link(t.file("proj/root").c_str(), output.c_str(), print_capture);
         },
         "outside/x.bnt", "proj/linked.bnt", nullptr},
        {"Format", linked,
         [](ProjectWritesTest& t, const std::string& target) {
             return netlist_format(t.file("proj/linked").c_str(), target.c_str(), "tessaron", 2,
                                   print_capture);
         },
         "outside/x.net", "proj/out.net", nullptr},
        {"Annotate", sheets,
         [](ProjectWritesTest& t, const std::string& target) {
             proper_set(ANNO_OUTFILE, target.c_str(), 0);
             return run_over_sheets(
                 t, [](List* list) { return annotate(print_capture, list, false); });
         },
         "outside/x.sch", "proj/out.sch", unchanged},
        {"Backannotate",
         [](ProjectWritesTest& t) {
             t.write_sheets();
             tn_test::write_text(t.file("proj/root.ban"), "'R?' 'R7'\n");
         },
         [](ProjectWritesTest& t, const std::string& target) {
             proper_set(BACK_OUTFILE, target.c_str(), 0);
             return run_over_sheets(t, [&](List* list) {
                 std::string name;
                 return backannotate(t.file("proj/root.sch").c_str(), &name, print_capture, list);
             });
         },
         "outside/x.sch", "proj/out.sch", unchanged},
        {"Bom", sheets,
         [](ProjectWritesTest& t, const std::string& target) {
             return bill_of_materials(t.file("proj/root.sch").c_str(), target.c_str(),
                                      print_capture);
         },
         "outside/x.bom", "proj/out.bom", nullptr},
        {"CompileLibrary", library,
         [](ProjectWritesTest& t, const std::string& target) {
             return compile_library(t.file("proj/lib.slb").c_str(), target.c_str(), print_capture);
         },
         "outside/x.clb", "proj/out.clb", nullptr},
        {"DecompileLibrary", library,
         [](ProjectWritesTest& t, const std::string& target) {
             return decompile_library(t.file("proj/lib.clb").c_str(), target.c_str(),
                                      print_capture);
         },
         "outside/x.slb", "proj/out.slb", nullptr},
        {"ListLibrary", library,
         [](ProjectWritesTest& t, const std::string& target) {
             proper_set(LIBLIST_OUTFILE, target.c_str(), 0);
             return list_library(t.file("proj/lib.clb").c_str(), print_capture, nullptr);
         },
         "outside/x.lst", "proj/out.lst", nullptr},
        {"LibraryArchive", sheets,
         [](ProjectWritesTest& t, const std::string& target) {
             return run_over_sheets(t, [&](List* list) {
                 return libarch(t.file("proj/root.sch").c_str(), target.c_str(), print_capture,
                                list);
             });
         },
         "outside/x.clb", "proj/out.clb",
         [](ProjectWritesTest& t) { return no_file(t, "proj/sub.clb"); }},
        {"DecompileSheets", sheets,
         [](ProjectWritesTest& t, const std::string& target) {
             (void)target;  // each sheet's source beside it
             proper_set(PARTSCH_HIER, 0, 0);
             return run_over_sheets(t, [&](List* list) {
                 return decompile_sheets(t.file("proj/root.sch").c_str(), print_capture, list);
             });
         },
         "outside/o.asc", "proj/sub.asc",
         [](ProjectWritesTest& t) { return no_file(t, "proj/root.asc"); }},
        {"CompileTitleBlock",
         [](ProjectWritesTest& t) {
             tn_test::write_text(t.file("proj/frame.asc"), "(TITLEBLOCK (TITLE 'T' ) )\n");
         },
         [](ProjectWritesTest& t, const std::string& target) {
             return compile_titleblock(t.file("proj/frame.asc").c_str(), target.c_str(),
                                       print_capture);
         },
         "outside/x.tbl", "proj/out.tbl", nullptr},
        {"DecompileTitleBlock", [](ProjectWritesTest&) {},
         [](ProjectWritesTest&, const std::string& target) {
             Schema* schema = nullptr;
             if (compile_schema_string("(TITLEBLOCK (TITLE 'T' ) )\n", COMPIL_TITLEBLOCK,
                                       print_capture, nullptr, &schema) != 0)
                 return -99;
             int code = decompile_titleblock(schema, target.c_str(), print_capture);
             free_Schema(schema, false);
             return code;
         },
         "outside/x.asc", "proj/out.asc", nullptr},
        {"ConvertSchematic",
         [](ProjectWritesTest& t) {
             t.write_foreign("foreign/top.sch", {"sub.sch"});
             t.write_foreign("foreign/sub.sch", {});
         },
         [](ProjectWritesTest& t, const std::string&) { return t.convert_foreign(); },
         "proj/sub.sch", "proj/sub.sch",
         [](ProjectWritesTest& t) { return no_file(t, "proj/top.sch"); }, false},
        {"ConvertLibrary",
         [](ProjectWritesTest& t) {
             fs::create_directories(t.file("foreign"));
             tn_test::write_text(t.file("foreign/conv.src"), "'A' 1 1 1 L 1 IN 'x'\n");
         },
         [](ProjectWritesTest& t, const std::string&) {
             return convert_orcad_library(t.file("foreign/conv.src").c_str(), print_capture);
         },
         "proj/conv.clb", "proj/conv.clb",
         [](ProjectWritesTest& t) { return no_file(t, "proj/conv.slb"); }, false},
    };
}

std::vector<Variant> variants() {
    std::vector<Variant> all;
    for (const WritingJob& job : writing_jobs()) {
        all.push_back({job, false});
        all.push_back({job, true});
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Jobs, EveryWritingJob, testing::ValuesIn(variants()),
                         [](const testing::TestParamInfo<Variant>& info) {
                             const WritingJob& job = info.param.job;
                             return std::string(job.name) +
                                    (info.param.through_link ? "ThroughALink"
                                     : job.names_lead_out    ? "OutOfTheProject"
                                                             : "OverAFileOfAnotherKind");
                         });

// A file of the project that is a link to a file of the job's own kind in
// another folder (another design's sheet, net file, report) is not
// followed: the job refuses, naming the link and where it leads, and that
// file keeps its bytes.
class LinkOutOfTheProject : public ProjectWritesTest,
                            public testing::WithParamInterface<WritingJob> {};

TEST_P(LinkOutOfTheProject, IsNotFollowedToAFileOfTheJobsKind) {
    const WritingJob& job = GetParam();
    job.prepare(*this);
    const std::string target = file(job.link);
    ASSERT_EQ(job.run(*this, target), 0) << printed;
    ASSERT_TRUE(fs::exists(target)) << "the job's own file, made in place";
    fs::create_directory(file("victim"));
    const std::string theirs = file("victim/theirs" + fs::path(target).extension().string());
    fs::rename(target, theirs);
    fs::create_symlink(theirs, target);
    const auto bytes = tn_test::read_bytes(theirs);
    printed.clear();
    EXPECT_EQ(job.run(*this, target), FILE_NOT_WRITTEN) << printed;
    EXPECT_EQ(tn_test::read_bytes(theirs), bytes);
    EXPECT_FALSE(fs::exists(file("victim/theirs.BAK")));
    EXPECT_NE(printed.find("*** ERROR *** : '" + target + "' is not written: it is a link to '" +
                           theirs + "', outside the project"),
              std::string::npos)
        << printed;
}

INSTANTIATE_TEST_SUITE_P(Jobs, LinkOutOfTheProject, testing::ValuesIn(writing_jobs()),
                         [](const testing::TestParamInfo<WritingJob>& info) {
                             return std::string(info.param.name);
                         });

// A project as an archive brings it: a sheet that is a link to another
// design's sheet (by a relative or an absolute name), or a folder that is a
// link to another design's folder. Compiling the project's sources
// replaces none of that design's files and puts none of its own in place.
TEST_F(ProjectWritesTest, ACompileReplacesNoSheetOfAnotherDesignThroughALink) {
    fs::create_directory(file("victim"));
    write_sheet("victim/v.sch", sheet({part("RES", "R5", "5k")}));
    tn_test::write_text(file("victim/v.asc"), sheet({part("RES", "R5", "5k")}));
    const auto theirs = tn_test::read_bytes(file("victim/v.sch"));
    struct Case {
        const char* name;
        const char* box;   // what the root names
        const char* link;  // the link made in the project
        std::string to;
    } cases[] = {{"relative", "sub.sch", "proj/sub.sch", "../victim/v.sch"},
                 {"absolute", "sub.sch", "proj/sub.sch", file("victim/v.sch")},
                 {"folder", "lnk/v.sch", "proj/lnk", "../victim"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(file("proj"));
        fs::create_directory(file("proj"));
        tn_test::write_text(file("proj/root.asc"), sheet({part("RES", "R1", "1k"), box(c.box)}));
        tn_test::write_text(file("proj/sub.asc"), sheet({part("RES", "R2", "2k")}));
        fs::create_symlink(c.to, file(c.link));
        printed.clear();
        EXPECT_EQ(
            compile_sheets(file("proj/root.asc").c_str(), "", nullptr, nullptr, print_capture),
            FILE_NOT_WRITTEN)
            << printed;
        EXPECT_EQ(tn_test::read_bytes(file("victim/v.sch")), theirs);
        EXPECT_FALSE(fs::exists(file("victim/v.BAK")));
        EXPECT_FALSE(fs::exists(file("proj/root.sch"))) << "nothing else in place";
        const std::string written =
            std::string(c.box) == "sub.sch" ? "proj/sub.sch" : "proj/lnk/v.sch";
        EXPECT_NE(printed.find("'" + file(written) + "' is not written: it is a link to '" +
                               file("victim/v.sch") + "', outside the project"),
                  std::string::npos)
            << printed;
    }
}

// Swapped while the Netlist Output job writes through it (by another
// process, or a folder shared with another user), a link makes the job
// write the file it checked or refuse: never the file the link names
// after the check.
TEST_F(ProjectWritesTest, ALinkSwappedWhileAJobWritesReplacesOnlyWhatWasChecked) {
    write_sheets();
    ASSERT_EQ(netlist_compile(file("proj/root.sch").c_str(), print_capture), 0) << printed;
    ASSERT_EQ(netlist_link(file("proj/root").c_str(), file("proj/linked").c_str(), print_capture),
              0)
        << printed;
    const std::string linked = file("proj/linked"), out = file("proj/out.net");
    auto format = [&] {
        return netlist_format(linked.c_str(), out.c_str(), "tessaron", 2, print_capture);
    };
    ASSERT_EQ(format(), 0) << printed;
    fs::rename(out, file("proj/mine.net"));
    const std::string swap = file("proj/swap.tmp"), notes = file("outside/notes.txt");
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (bool mine = true; !stop; mine = !mine) {
            ::symlink(mine ? "mine.net" : notes.c_str(), swap.c_str());
            ::rename(swap.c_str(), out.c_str());
        }
    });
    int written = 0, refused = 0, other = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    for (int run = 0; run < 400 && std::chrono::steady_clock::now() < until; ++run) {
        printed.clear();
        int code = format();
        (code == 0 ? written : code == FILE_NOT_WRITTEN ? refused : other)++;
        if (tn_test::read_text(notes) != NOTES) break;
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(tn_test::read_text(notes), NOTES) << written << " written, " << refused << " refused";
    EXPECT_EQ(other, 0);
    EXPECT_GT(written + refused, 100);
    EXPECT_TRUE(file_is_of_kind(file("proj/mine.net").c_str(), FileKind::NETLIST));
}

// A sheet of another folder that a job will write, or write a file beside:
// before the job writes anything, its question names that sheet and its
// log says so; declined, nothing is written there. Agreed (or in a batch
// run, which takes the box's default), the job runs as before.
TEST_F(ProjectWritesTest, EveryJobSaysWhichSheetsOutsideTheRootsFolderItWrites) {
    set_message_formatter(error_message);
    int answer = ANSWER_CANCEL;
    std::string asked;
    Services table;
    table.message_box = [&](const char* text, const char*, int) {
        asked += std::string(text) + "\n";
        return answer;
    };
    install_services(table);
    auto over_sheets = [this](const std::function<int(List*)>& job) {
        return run_over_sheets(*this, job);
    };
    const std::vector<std::pair<const char*, std::function<int()>>> jobs = {
        {"compile",
         [&] {
             return compile_sheets(file("proj/root.asc").c_str(), "", nullptr, nullptr,
                                   print_capture);
         }},
        {"net compile",
         [&] { return netlist_compile(file("proj/root.sch").c_str(), print_capture); }},
        {"ERC",
         [&] {
             return erc_report(file("proj/root.sch").c_str(), file("proj/root.erc").c_str(),
                               print_capture);
         }},
        {"annotation",
         [&] {
             return over_sheets([](List* list) { return annotate(print_capture, list, false); });
         }},
        {"back-annotation",
         [&] {
             tn_test::write_text(file("proj/root.ban"), "'R?' 'R7'\n");
             return over_sheets([&](List* list) {
                 std::string name;
                 return backannotate(file("proj/root.sch").c_str(), &name, print_capture, list);
             });
         }},
        {"decompile",
         [&] {
             return over_sheets([&](List* list) {
                 return decompile_sheets(file("proj/root.sch").c_str(), print_capture, list);
             });
         }},
        {"library archive",
         [&] {
             return over_sheets([&](List* list) {
                 return libarch(file("proj/root.sch").c_str(), "", print_capture, list);
             });
         }},
    };
    auto outside = [&] {
        std::map<std::string, std::vector<unsigned char>> files;
        for (const auto& entry : fs::directory_iterator(file("outside")))
            files[entry.path().filename().string()] = tn_test::read_bytes(entry.path().string());
        return files;
    };
    const std::string named = "'" + file("outside/o.sch") + "'";
    for (const auto& [name, run] : jobs) {
        SCOPED_TRACE(name);
        write_sheets();
        write_sources();
        const auto before = outside();
        answer = ANSWER_CANCEL;
        asked.clear();
        printed.clear();
        // Declined, the net jobs stop (no link is to read old net files).
        const bool net = std::string(name) == "net compile" || std::string(name) == "ERC";
        EXPECT_EQ(run(), net ? DOC_CANCELLED : 0) << printed;
        EXPECT_NE(asked.find("Outside the folder of the root sheet:\n" + file("outside/o.sch")),
                  std::string::npos)
            << asked;
        EXPECT_TRUE(outside() == before) << "nothing written outside";
        EXPECT_NE(printed.find(named + " lies outside the folder of the root sheet"),
                  std::string::npos)
            << printed;
        answer = ANSWER_OK;
        printed.clear();
        EXPECT_EQ(run(), 0) << printed;
        EXPECT_NE(printed.find(named + " lies outside the folder of the root sheet"),
                  std::string::npos)
            << printed;
    }
    EXPECT_TRUE(fs::exists(file("outside/o.bnt")));
    // A sheet named by an absolute name is named as well.
    write_sheet("outside/abs.sch", sheet({part("RES", "R?", "4k")}));
    write_sheet("proj/abs_root.sch", sheet({box(file("outside/abs.sch").c_str())}));
    answer = ANSWER_CANCEL;
    asked.clear();
    EXPECT_EQ(netlist_compile(file("proj/abs_root.sch").c_str(), print_capture), DOC_CANCELLED);
    EXPECT_NE(
        asked.find("(Sheets 2)\nOutside the folder of the root sheet:\n" + file("outside/abs.sch")),
        std::string::npos)
        << asked;
    EXPECT_FALSE(fs::exists(file("outside/abs.bnt")));
}

// The conversion's sheets go into the project folder whatever folder the
// foreign hierarchy names; a link there to a missing file outside is not
// followed, and then none of the job's sheets is put in place.
TEST_F(ProjectWritesTest, AConversionWritesIntoItsProjectFolderOnly) {
    write_foreign("foreign/top.sch", {file("outside/o.sch")});
    write_foreign("outside/o.sch", {});
    const auto foreign = tn_test::read_bytes(file("outside/o.sch"));
    ASSERT_EQ(convert_foreign(), 0) << printed;
    EXPECT_TRUE(file_is_of_kind(file("proj/o.sch").c_str(), FileKind::SHEET));
    EXPECT_EQ(tn_test::read_bytes(file("outside/o.sch")), foreign);

    const auto top = tn_test::read_bytes(file("proj/top.sch"));
    fs::remove(file("proj/o.sch"));
    fs::create_symlink(file("outside/new.sch"), file("proj/o.sch"));
    printed.clear();
    EXPECT_EQ(convert_foreign(), FILE_NOT_WRITTEN);
    EXPECT_NE(printed.find("is not written: it is a link to '" + file("outside/new.sch") +
                           "', outside the project"),
              std::string::npos)
        << printed;
    EXPECT_FALSE(fs::exists(file("outside/new.sch")));
    EXPECT_EQ(tn_test::read_bytes(file("proj/top.sch")), top) << "nothing else in place";
}

// Sheets and libraries stored without their optional header (the record's
// tag first) are of their kind: every job that rewrites them does (the ERC
// that stores marks: ErcHierarchyTest).
TEST_F(ProjectWritesTest, JobsRewriteSheetsAndLibrariesStoredWithoutTheirHeader) {
    write_sheets();
    write_library();
    write_sources();
    const char* const stored[] = {"proj/root.sch", "proj/sub.sch", "outside/o.sch", "proj/lib.clb"};
    auto bare = [&] {
        for (const char* name : stored) drop_header(file(name));
    };
    bare();
    auto over_sheets = [&](const std::function<int(List*)>& job) {
        List* list = sheets();
        const int code = job(list);
        free_name_list(list);
        return code;
    };
    EXPECT_EQ(over_sheets([](List* list) { return annotate(print_capture, list, false); }), 0)
        << printed;
    EXPECT_EQ(references("proj/sub.sch"), std::vector<std::string>{"R3"});
    bare();
    tn_test::write_text(file("proj/root.ban"), "'R3' 'R7'\n");
    EXPECT_EQ(over_sheets([&](List* list) {
                  std::string name;
                  return backannotate(file("proj/root.sch").c_str(), &name, print_capture, list);
              }),
              0)
        << printed;
    EXPECT_EQ(references("proj/sub.sch"), std::vector<std::string>{"R7"});
    bare();
    EXPECT_EQ(compile_sheets(file("proj/root.asc").c_str(), "", nullptr, nullptr, print_capture), 0)
        << printed;
    EXPECT_EQ(
        compile_library(file("proj/lib.slb").c_str(), file("proj/lib.clb").c_str(), print_capture),
        0)
        << printed;
    drop_header(file("proj/lib.clb"));
    EXPECT_EQ(over_sheets([&](List* list) {
                  return libarch(file("proj/root.sch").c_str(), file("proj/lib.clb").c_str(),
                                 print_capture, list);
              }),
              0)
        << printed;
    EXPECT_TRUE(file_is_of_kind(file("proj/lib.clb").c_str(), FileKind::LIBRARY));
}

// --- what keeps working ----------------------------------------------------------------------

TEST_F(ProjectWritesTest, HierarchiesOverFoldersAndSheetsThatAreLinksKeepWorking) {
    // Besides ../outside/o.sch, the root names a sheet of a shared folder
    // by its path, which makes that folder the project's: a sheet of the
    // project that is a link to a sheet there is written where the link
    // leads. So is a sheet in a folder of the project reached through a
    // link to that folder.
    fs::create_directory(dir_.path() / "shared");
    fs::create_directory(dir_.path() / "proj" / "inside");
    write_sources();
    tn_test::write_text(file("shared/lnk.asc"), sheet({part("RES", "R9", "9k")}));
    tn_test::write_text(file("shared/named.asc"), sheet({part("RES", "R8", "8k")}));
    tn_test::write_text(file("proj/inside/s.asc"), sheet({part("RES", "R6", "6k")}));
    tn_test::write_text(file("proj/root.asc"),
                        sheet({part("RES", "R?", "1k"), box("../outside/o.sch"), box("sub.sch"),
                               box("lnk.sch"), box("../shared/named.sch"), box("alias/s.sch")}));
    fs::create_symlink(file("shared/lnk.asc"), file("proj/lnk.asc"));
    write_sheet("shared/lnk.sch", sheet({part("RES", "R?", "9k")}));
    fs::create_symlink(file("shared/lnk.sch"), file("proj/lnk.sch"));
    fs::create_symlink("inside", file("proj/alias"));
    ASSERT_EQ(compile_sheets(file("proj/root.asc").c_str(), "", nullptr, nullptr, print_capture), 0)
        << printed;
    EXPECT_TRUE(fs::is_symlink(file("proj/lnk.sch")));
    EXPECT_EQ(references("shared/lnk.sch"), std::vector<std::string>{"R9"});
    EXPECT_EQ(references("outside/o.sch"), std::vector<std::string>{"R2"});
    EXPECT_EQ(references("proj/inside/s.sch"), std::vector<std::string>{"R6"});

    proper_set(ANNO_UNCOND, 1, 0);
    List* list = sheets();
    ASSERT_EQ(annotate(print_capture, list, false), 0) << printed;
    free_name_list(list);
    EXPECT_EQ(references("shared/lnk.sch"), std::vector<std::string>{"R4"});
    EXPECT_TRUE(fs::is_symlink(file("proj/lnk.sch")));

    const std::string root = file("proj/root.sch");
    ASSERT_EQ(netlist_compile(root.c_str(), print_capture), 0) << printed;
    EXPECT_TRUE(fs::exists(file("outside/o.bnt")));
    EXPECT_TRUE(fs::exists(file("proj/lnk.bnt"))) << "a sheet's net file is named after it";
    ASSERT_EQ(netlist_link(file("proj/root").c_str(), file("proj/linked").c_str(), print_capture),
              0)
        << printed;
    ASSERT_EQ(netlist_format(file("proj/linked").c_str(), file("proj/out.net").c_str(), "tessaron",
                             2, print_capture),
              0)
        << printed;
    // A netlist of another format is a netlist: the next one replaces it.
    ASSERT_EQ(netlist_format(file("proj/linked").c_str(), file("proj/out.net").c_str(), "FLATEDIF",
                             2, print_capture),
              0)
        << printed;
    EXPECT_EQ(erc_report(root.c_str(), file("proj/root.erc").c_str(), print_capture), 0) << printed;
    EXPECT_EQ(bill_of_materials(root.c_str(), file("proj/root.bom").c_str(), print_capture), 0);
}

}  // namespace
