#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

// A temporary directory that is also the current directory while the test
// runs (names relative to it and "~" land inside it).
class InTempDir : public testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(old_);
        set_backup_hook(nullptr);
    }
    std::string dos(const std::string& relative) const {
        std::string name = "C:" + dir_.path().string() + "/" + relative;
        for (char& c : name)
            if (c == '/') c = '\\';
        return name;
    }
    tn_test::TempDir dir_;
    fs::path old_;
};

size_t files_in(const fs::path& dir) {
    size_t n = 0;
    for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it) ++n;
    return n;
}

// While it lives, the process may open only `spare` descriptors more than
// it holds now.
class FewDescriptors {
public:
    explicit FewDescriptors(size_t spare) {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = static_cast<rlim_t>(files_in("/proc/self/fd") + spare);
        set_ = setrlimit(RLIMIT_NOFILE, &low) == 0;
    }
    ~FewDescriptors() { setrlimit(RLIMIT_NOFILE, &saved_); }
    FewDescriptors(const FewDescriptors&) = delete;
    FewDescriptors& operator=(const FewDescriptors&) = delete;
    bool set() const { return set_; }

private:
    rlimit saved_{};
    bool set_ = false;
};

TEST_F(InTempDir, DosNamesReachTheFile) {
    fs::create_directories("Lib/Sub");
    tn_test::write_text("Lib/Sub/Parts.CLB", "x");
    EXPECT_EQ(file_access("Lib\\Sub\\Parts.CLB", 0), 0);
    EXPECT_EQ(file_access(dos("Lib\\Sub\\Parts.CLB").c_str(), 0), 0) << "the drive is dropped";
    EXPECT_EQ(file_access("C:Lib\\Sub\\Parts.CLB", 0), 0);
    FILE* f = open_file("lib\\SUB\\parts.clb", "rb");
    ASSERT_NE(f, nullptr) << "each component is found ignoring case";
    EXPECT_EQ(std::fgetc(f), 'x');
    std::fclose(f);
    EXPECT_EQ(system_path("LIB\\sub\\missing.clb"), "Lib/Sub/missing.clb");
    EXPECT_EQ(system_path("nodir\\x.clb"), "nodir/x.clb");
    EXPECT_EQ(file_access("lib\\sub\\missing.clb", 0), -1);
}

TEST_F(InTempDir, AnExactMatchWinsOverOtherCases) {
    tn_test::write_text("a.sch", "lower");
    tn_test::write_text("A.SCH", "upper");
    EXPECT_EQ(system_path("a.sch"), "a.sch");
    EXPECT_EQ(system_path("A.SCH"), "A.SCH");
    EXPECT_EQ(system_path("A.sch"), "A.SCH") << "the first match in byte order";
}

TEST_F(InTempDir, HomeExpansion) {
    fs::create_directories("proj");
    tn_test::write_text("proj/a.txt", "1");
    tn_test::write_text("Quib.ini", "1");
    FILE* f = open_file("~\\proj\\a.txt", "r");
    EXPECT_NE(f, nullptr);
    if (f) std::fclose(f);
    f = open_file("~Quib.ini", "r");  // open_file expands any leading "~"
    EXPECT_NE(f, nullptr);
    if (f) std::fclose(f);
    EXPECT_EQ(file_access("~/proj/a.txt", 0), 0);
    EXPECT_EQ(file_access("~Quib.ini", 0), -1) << "file_access expands only ~ before a separator";
    EXPECT_NE(file_mtime("~/proj/a.txt"), 0);
    EXPECT_EQ(file_mtime("~/proj/none.txt"), 0);
    char home[4];
    EXPECT_STREQ(home_dir(home), ".\\");
}

TEST_F(InTempDir, ModeOneTakesTheFirstExistingSuffixElseTheLastTried) {
    fs::create_directories("libs");
    EXPECT_EQ(make_file_name("a", "libs", ".lib,.clb", 1), "libs\\a.clb");
    EXPECT_EQ(file_exists_as("a", "libs", ".lib,.clb"), -1);
    tn_test::write_text("libs/a.clb", "");
    EXPECT_EQ(make_file_name("a", "libs", ".lib,.clb", 1), "libs\\a.clb");
    EXPECT_EQ(file_exists_as("a", "libs", ".lib,.clb"), 0);
    tn_test::write_text("libs/A.LIB", "");
    EXPECT_EQ(make_file_name("a", "libs", ".lib,.clb", 1), "libs\\a.lib")
        << "existence is tested ignoring case; the name keeps the list's suffix";
}

TEST_F(InTempDir, BackupKeepsOneCopy) {
    tn_test::write_text("s.sch", "new");
    tn_test::write_text("S.bak", "old backup");
    EXPECT_EQ(make_backup("S.SCH"), 0);
    EXPECT_EQ(tn_test::read_text("s.sch"), "new") << "the file never goes away";
    EXPECT_EQ(tn_test::read_text("S.bak"), "new") << "the old backup of any case is replaced";
    EXPECT_EQ(files_in("."), 2u);
    EXPECT_EQ(make_backup("missing.sch"), -1) << "nothing to back up";
}

TEST_F(InTempDir, BackupHookCanRefuse) {
    tn_test::write_text("s.sch", "x");
    set_backup_hook([] { return 0; });
    EXPECT_EQ(make_backup("s.sch"), 0);
    EXPECT_TRUE(fs::exists("s.sch"));
    EXPECT_FALSE(fs::exists("s.BAK"));
}

TEST_F(InTempDir, BackupOfAReadOnlyFileIsRefused) {
    fs::permissions(".", fs::perms::all);
    tn_test::write_text("r.sch", "x");
    fs::permissions("r.sch", fs::perms::owner_read | fs::perms::others_read);
    EXPECT_EQ(tn_test::run_unprivileged([] { return make_backup("r.sch") == -1 ? 0 : 1; }), 0);
    EXPECT_TRUE(fs::exists("r.sch"));
    EXPECT_EQ(files_in("."), 1u);
}

TEST_F(InTempDir, AtomicFileReplacesOnlyOnCommit) {
    tn_test::write_text("Out.net", "old");
    {
        AtomicFile out("out.NET");
        ASSERT_TRUE(out.is_open());
        std::fputs("half", out.stream());
        EXPECT_EQ(tn_test::read_text("Out.net"), "old");
    }  // not committed
    EXPECT_EQ(tn_test::read_text("Out.net"), "old");
    EXPECT_EQ(files_in("."), 1u) << "the temporary is gone";

    AtomicFile out("out.NET");
    std::fputs("whole", out.stream());
    EXPECT_EQ(out.commit(), 0);
    EXPECT_EQ(tn_test::read_text("Out.net"), "whole")
        << "the existing file of any case is replaced";
    EXPECT_EQ(files_in("."), 1u);
}

TEST_F(InTempDir, AtomicFileKeepsABackupAndThePermissions) {
    tn_test::write_text("a.sch", "v1");
    fs::permissions("a.sch",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    AtomicFile out("a.sch");
    std::fputs("v2", out.stream());
    EXPECT_EQ(out.commit(true), 0);
    EXPECT_EQ(tn_test::read_text("a.sch"), "v2");
    EXPECT_EQ(tn_test::read_text("a.BAK"), "v1");
    EXPECT_EQ(fs::status("a.sch").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(InTempDir, AtomicFileFailedWriteLeavesTheOldFile) {
    tn_test::write_text("a.sch", "v1");
    AtomicFile out("a.sch");
    ASSERT_TRUE(out.is_open());
    // The file may grow to one byte: the second byte's write fails.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 1;
    auto was = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    std::fputs("v2", out.stream());
    int code = out.commit(true);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, was);
    EXPECT_EQ(code, 6);
    EXPECT_EQ(tn_test::read_text("a.sch"), "v1");
    EXPECT_FALSE(fs::exists("a.BAK")) << "no backup when nothing replaces the file";
    EXPECT_EQ(files_in("."), 1u);
}

TEST_F(InTempDir, AtomicFileInAMissingDirectoryDoesNotOpen) {
    AtomicFile out("nodir\\a.sch");
    EXPECT_FALSE(out.is_open());
    EXPECT_EQ(out.commit(), 6);
}

// --- saves that can never lose the file ---------------------------------------------------

int save_text(const char* path, const std::string& text, bool backup = true) {
    return write_atomically(
        path, "wb", [&](FILE* f) { return std::fputs(text.c_str(), f) < 0 ? 6 : 0; }, backup);
}

TEST_F(InTempDir, AKillAtAnyStepOfASaveLeavesTheOldOrTheNewFile) {
    for (int stop_at = 1; stop_at <= 3; ++stop_at) {
        tn_test::write_text("a.sch", "old");
        int code = tn_test::run_in_child([&] {
            static int stop;
            stop = stop_at;
            set_replace_step_hook([](int step) {
                if (step == stop) _exit(7);
            });
            return save_text("a.sch", "new");
        });
        EXPECT_EQ(code, 7) << "the child stopped at step " << stop_at;
        ASSERT_TRUE(fs::exists("a.sch")) << "step " << stop_at;
        EXPECT_EQ(tn_test::read_text("a.sch"), stop_at < 3 ? "old" : "new") << "step " << stop_at;
        if (stop_at >= 2) {
            EXPECT_EQ(tn_test::read_text("a.BAK"), "old");
        }
        fs::remove("a.BAK");
    }
    // The next save clears what the killed ones left.
    EXPECT_EQ(save_text("a.sch", "last"), 0);
    EXPECT_EQ(tn_test::read_text("a.sch"), "last");
    EXPECT_EQ(files_in("."), 2u) << "only the file and its backup";
}

// A job writing many files flushes each folder once, at the end of its batch.
TEST_F(InTempDir, ABatchOfSavesFlushesEachFolderOnceAtItsEnd) {
    static int folder_flushes;
    folder_flushes = 0;
    set_replace_step_hook([](int step) { folder_flushes += step == 4; });
    fs::create_directory("sub");
    {
        FolderSyncBatch batch;
        {
            FolderSyncBatch inner;  // nested: only the outermost flushes
            EXPECT_EQ(save_text("a.sch", "a"), 0);
        }
        EXPECT_EQ(save_text("b.sch", "b"), 0);
        EXPECT_EQ(save_text("sub/c.sch", "c"), 0);
        EXPECT_EQ(save_text("a.sch", "a2"), 0);
        EXPECT_EQ(folder_flushes, 0);
        EXPECT_EQ(tn_test::read_text("a.sch"), "a2") << "the files are in place before the flush";
    }
    EXPECT_EQ(folder_flushes, 2) << "the project folder and sub";
    EXPECT_EQ(save_text("b.sch", "b2"), 0);
    EXPECT_EQ(folder_flushes, 3) << "outside a batch every save flushes its folder";
    set_replace_step_hook(nullptr);
}

TEST_F(InTempDir, AJobThatPutsItsFilesInPlaceAtItsEndLeavesThemOldUntilThen) {
    tn_test::write_text("a.sch", "a1");
    tn_test::write_text("b.sch", "b1");
    {
        FolderSyncBatch batch(FolderSyncBatch::Commits::AT_END);
        EXPECT_EQ(save_text("a.sch", "a2"), 0);
        EXPECT_EQ(save_text("b.sch", "b2"), 0);
        EXPECT_EQ(save_text("c.sch", "c2"), 0);
        EXPECT_EQ(save_text("a.sch", "a3"), 0) << "a file saved twice: the last save wins";
        EXPECT_EQ(tn_test::read_text("a.sch"), "a1");
        EXPECT_EQ(tn_test::read_text("b.sch"), "b1");
        EXPECT_FALSE(fs::exists("c.sch"));
        EXPECT_TRUE(batch.finish());
        EXPECT_EQ(tn_test::read_text("a.sch"), "a3");
        EXPECT_EQ(tn_test::read_text("a.BAK"), "a2");
        EXPECT_EQ(tn_test::read_text("b.sch"), "b2");
        EXPECT_EQ(tn_test::read_text("b.BAK"), "b1");
        EXPECT_EQ(tn_test::read_text("c.sch"), "c2");
        EXPECT_EQ(save_text("d.sch", "d"), 0);
    }
    EXPECT_EQ(tn_test::read_text("d.sch"), "d")
        << "the batch's end puts in place what finish did not";
    EXPECT_EQ(files_in("."), 6u) << "no temporary is left";
}

TEST_F(InTempDir, AKillWhileStagedFilesArePutInPlaceLeavesEachOldOrNew) {
    for (int stop_at = 1; stop_at <= 3; ++stop_at) {
        for (const char* name : {"a.sch", "b.sch", "c.sch"}) tn_test::write_text(name, "old");
        int code = tn_test::run_in_child([&] {
            static int stop;
            stop = stop_at;
            FolderSyncBatch batch(FolderSyncBatch::Commits::AT_END);
            for (const char* name : {"a.sch", "b.sch", "c.sch"})
                if (save_text(name, "new") != 0) return 1;
            // The second file stops at the step.
            static int seen;
            seen = 0;
            set_replace_step_hook([](int step) {
                if (step == stop && ++seen == 2) _exit(7);
            });
            return batch.finish() ? 0 : 2;
        });
        EXPECT_EQ(code, 7) << "step " << stop_at;
        for (const char* name : {"a.sch", "b.sch", "c.sch"}) {
            ASSERT_TRUE(fs::exists(name)) << name << " step " << stop_at;
            std::string text = tn_test::read_text(name);
            EXPECT_TRUE(text == "old" || text == "new") << name << " step " << stop_at;
        }
        EXPECT_EQ(tn_test::read_text("a.sch"), "new") << "step " << stop_at;
        EXPECT_EQ(tn_test::read_text("c.sch"), "old") << "step " << stop_at;
    }
    for (const char* name : {"a.sch", "b.sch", "c.sch"}) EXPECT_EQ(save_text(name, "last"), 0);
    EXPECT_EQ(files_in("."), 6u) << "the next saves clear what the killed job left";
}

TEST_F(InTempDir, AStagedFileThatCannotBePutInPlaceIsNamedAndTheOthersGoIn) {
    tn_test::write_text("a.sch", "a1");
    tn_test::write_text("b.sch", "b1");
    FolderSyncBatch batch(FolderSyncBatch::Commits::AT_END);
    EXPECT_EQ(save_text("a.sch", "a2"), 0);
    EXPECT_EQ(save_text("b.sch", "b2"), 0);
    EXPECT_EQ(save_text("c.sch", "c2"), 0);
    // Something else takes b's name meanwhile: its rename must fail.
    fs::remove("b.sch");
    fs::create_directory("b.sch");
    std::string failed;
    EXPECT_EQ(finish_saves(batch, &failed), 6);
    EXPECT_NE(failed.find("b.sch"), std::string::npos) << failed;
    EXPECT_EQ(tn_test::read_text("a.sch"), "a2");
    EXPECT_EQ(tn_test::read_text("c.sch"), "c2");
    EXPECT_TRUE(fs::is_directory("b.sch"));
    EXPECT_TRUE(batch.finish()) << "a failure is reported once";
}

TEST_F(InTempDir, AJobOfManyStagedFilesHoldsFewDescriptors) {
    int failed_at = -1;
    bool finished = false;
    {
        FewDescriptors few(160);
        ASSERT_TRUE(few.set());
        FolderSyncBatch batch(FolderSyncBatch::Commits::AT_END);
        for (int i = 0; i < 500 && failed_at < 0; ++i)
            if (save_text(("f" + std::to_string(i) + ".sch").c_str(), std::to_string(i)) != 0)
                failed_at = i;
        finished = batch.finish();
    }
    EXPECT_EQ(failed_at, -1);
    EXPECT_TRUE(finished);
    EXPECT_EQ(files_in("."), 500u);
    EXPECT_EQ(tn_test::read_text("f499.sch"), "499");
}

TEST_F(InTempDir, KillingASavingProcessNeverLeavesTheFileMissing) {
    fs::permissions(".", fs::perms::all);
    std::string small(2000, 'x');
    tn_test::write_text("a.sch", small);
    unsigned seed = 12345;
    for (int round = 0; round < 100; ++round) {
        std::fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            for (;;) save_text("a.sch", small);
        }
        ASSERT_GT(child, 0);
        seed = seed * 1103515245u + 12345u;
        usleep(200 + (seed >> 8) % 8000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ASSERT_TRUE(fs::exists("a.sch")) << "round " << round;
        ASSERT_EQ(tn_test::read_text("a.sch"), small) << "round " << round;
    }
    EXPECT_EQ(save_text("a.sch", "end"), 0);
    std::string names;
    for (const auto& entry : fs::directory_iterator("."))
        names += entry.path().filename().string() + " ";
    EXPECT_EQ(files_in("."), 2u) << "orphaned temporaries are removed by the next save: " << names;
}

TEST_F(InTempDir, SavesInARowHoldNoDescriptorsForLong) {
    // A save lets go of the backup it replaces beside the job's work: a
    // thousand saves in a row, with a few descriptors to spare, must all
    // succeed, and only the last two contents remain.
    int failed_at = -1;
    {
        FewDescriptors few(80);
        ASSERT_TRUE(few.set());
        for (int i = 0; i < 1000 && failed_at < 0; ++i)
            if (save_text("a.sch", std::to_string(i)) != 0) failed_at = i;
    }
    EXPECT_EQ(failed_at, -1);
    EXPECT_EQ(tn_test::read_text("a.sch"), "999");
    EXPECT_EQ(tn_test::read_text("a.BAK"), "998");
    EXPECT_EQ(files_in("."), 2u);
}

TEST_F(InTempDir, ABackupThatIsAlreadyALinkOfTheFileLeavesNothingBehind) {
    // What a save killed between its backup and its rename leaves.
    tn_test::write_text("a.sch", "old");
    fs::create_hard_link("a.sch", "a.BAK");
    EXPECT_EQ(save_text("a.sch", "new"), 0);
    EXPECT_EQ(tn_test::read_text("a.BAK"), "old");
    EXPECT_EQ(files_in("."), 2u);
}

TEST_F(InTempDir, ATemporaryInUseIsNotTakenForAnOrphan) {
    AtomicFile first("a.sch");
    ASSERT_TRUE(first.is_open());
    std::fputs("first", first.stream());
    EXPECT_EQ(save_text("a.sch", "second"), 0);
    EXPECT_EQ(first.commit(), 0);
    EXPECT_EQ(tn_test::read_text("a.sch"), "first");
}

TEST_F(InTempDir, AFileTheUserMayNotWriteIsNeverReplaced) {
    fs::permissions(".", fs::perms::all);
    for (mode_t mode : {0444, 0}) {
        tn_test::write_text("r.sch", "keep");
        ASSERT_EQ(chown("r.sch", 65534, 65534) == 0 || geteuid() != 0, true);
        chmod("r.sch", mode);
        int code = tn_test::run_unprivileged([] {
            int result = save_text("r.sch", "new");
            return result == 50 && files_in(".") == 1 ? 0 : 1;
        });
        EXPECT_EQ(code, 0) << "mode " << mode << ": the save fails with 50 and leaves no file";
        chmod("r.sch", 0644);
        EXPECT_EQ(tn_test::read_text("r.sch"), "keep");
        EXPECT_EQ(files_in("."), 1u) << "no backup";
    }
}

TEST_F(InTempDir, AFolderIsNeitherWrittenNorRead) {
    fs::create_directory("a.sch");
    EXPECT_EQ(save_text("a.sch", "x"), 50);
    EXPECT_TRUE(fs::is_directory("a.sch"));
    EXPECT_EQ(files_in("."), 1u) << "no backup, no temporary";
    errno = 0;
    EXPECT_EQ(open_file("a.sch", "rb"), nullptr);
    EXPECT_EQ(errno, EISDIR);
}

TEST_F(InTempDir, ASaveThroughALinkUpdatesTheFileItNames) {
    fs::create_directory("real");
    tn_test::write_text("real/a.sch", "old");
    chmod("real/a.sch", 0640);
    fs::create_symlink("real/a.sch", "link.sch");
    EXPECT_EQ(save_text("link.sch", "new"), 0);
    EXPECT_TRUE(fs::is_symlink("link.sch"));
    EXPECT_EQ(tn_test::read_text("real/a.sch"), "new");
    EXPECT_EQ(tn_test::read_text("real/a.BAK"), "old") << "the backup lies beside the real file";
    EXPECT_FALSE(fs::exists("link.BAK"));
    EXPECT_EQ(fs::status("real/a.sch").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // A link to a file not made yet makes that file.
    fs::create_symlink("real/b.sch", "dangling.sch");
    EXPECT_EQ(save_text("dangling.sch", "b"), 0);
    EXPECT_TRUE(fs::is_symlink("dangling.sch"));
    EXPECT_EQ(tn_test::read_text("real/b.sch"), "b");
    // A loop of links is refused.
    fs::create_symlink("loop2", "loop1");
    fs::create_symlink("loop1", "loop2");
    EXPECT_EQ(save_text("loop1", "x"), 50);
}

TEST_F(InTempDir, NamesUpToTheSystemLimitCanBeSaved) {
    for (size_t length : {246u, 251u, 255u}) {
        std::string name = std::string(length - 4, 'n') + ".sch";
        EXPECT_EQ(save_text(name.c_str(), "1"), 0) << length;
        EXPECT_EQ(save_text(name.c_str(), "2"), 0) << length << ", over an old file";
        EXPECT_EQ(tn_test::read_text(name), "2");
    }
}

// --- several files replaced as one ----------------------------------------------------------

int stage_text(FileSet& set, const char* path, const std::string& text) {
    return write_atomically(
        path, "wb", [&](FILE* f) { return std::fputs(text.c_str(), f) < 0 ? 6 : 0; }, true, ".BAK",
        &set);
}

// Three sheets in two folders, the first being the set's anchor.
class FileSetTest : public InTempDir {
protected:
    void SetUp() override {
        InTempDir::SetUp();
        fs::create_directory("sub");
        for (const char* name : names_) tn_test::write_text(name, "old");
    }
    void TearDown() override {
        set_replace_step_hook(nullptr);
        InTempDir::TearDown();
    }
    // "old", "new" or "mixed" over the three files.
    std::string state() const {
        int fresh = 0;
        for (const char* name : names_) fresh += tn_test::read_text(name) == "new";
        return fresh == 0 ? "old" : fresh == 3 ? "new" : "mixed";
    }
    int stage_all(FileSet& set) {
        for (const char* name : names_)
            if (int code = stage_text(set, name, "new")) return code;
        return 0;
    }
    size_t entries() const { return files_in(".") + files_in("sub"); }
    std::vector<std::string> targets() const { return {names_[0], names_[1], names_[2]}; }
    const char* names_[3] = {"root.sch", "b.sch", "sub/c.sch"};
    SetOwner owner_{"test", ""};
};

TEST_F(FileSetTest, FilesAreReplacedOnlyWhenEveryOneIsWritten) {
    {
        FileSet set("root.sch", owner_);
        ASSERT_EQ(stage_all(set), 0);
        EXPECT_EQ(state(), "old") << "nothing replaced before the commit";
        EXPECT_EQ(set.size(), 3u);
        ASSERT_EQ(set.commit(), 0);
    }
    EXPECT_EQ(state(), "new");
    EXPECT_EQ(tn_test::read_text("sub/c.BAK"), "old");
    EXPECT_EQ(entries(), 3u + 1 + 2 + 1) << "the files, their backups and the folder";
    // A set dropped before its commit leaves every file and no temporary.
    {
        FileSet set("root.sch", owner_);
        ASSERT_EQ(stage_text(set, "b.sch", "newer"), 0);
        ASSERT_EQ(stage_text(set, "b.sch", "newest"), 0) << "a file written twice keeps the last";
        EXPECT_EQ(set.size(), 1u);
    }
    EXPECT_EQ(tn_test::read_text("b.sch"), "new");
    EXPECT_EQ(entries(), 7u);
    EXPECT_EQ(complete_file_set("root.sch", targets(), nullptr), FILE_SET_NONE);
}

TEST_F(FileSetTest, ASetOfManyFilesHoldsFewDescriptorsAndGivesEachItsMode) {
    // The staged files are flushed beside the job: each holds a descriptor
    // until its flush is done, and gets its old file's mode with it.
    for (int i = 0; i < 300; ++i) {
        std::string name = "m" + std::to_string(i) + ".sch";
        tn_test::write_text(name, "old");
        chmod(name.c_str(), 0640);
    }
    int failed_at = -1, committed = -1;
    {
        FewDescriptors few(160);
        ASSERT_TRUE(few.set());
        FileSet set("root.sch", owner_);
        for (int i = 0; i < 300 && failed_at < 0; ++i)
            if (stage_text(set, ("m" + std::to_string(i) + ".sch").c_str(), std::to_string(i)))
                failed_at = i;
        ASSERT_EQ(stage_text(set, "m7.sch", "again"), 0) << "a file written twice keeps the last";
        if (failed_at < 0) committed = set.commit();
    }
    EXPECT_EQ(failed_at, -1);
    EXPECT_EQ(committed, 0);
    EXPECT_EQ(tn_test::read_text("m299.sch"), "299");
    EXPECT_EQ(tn_test::read_text("m7.sch"), "again");
    EXPECT_EQ(tn_test::read_text("m7.BAK"), "old");
    for (int i = 0; i < 300; i += 37) {
        struct stat st {};
        ASSERT_EQ(stat(("m" + std::to_string(i) + ".sch").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << i;
    }
    EXPECT_EQ(entries(), 4u + 600) << "no temporary left";
}

TEST_F(FileSetTest, AFileThatCannotBeWrittenLeavesEveryFileAsItWas) {
    fs::permissions(".", fs::perms::all);
    fs::permissions("sub", fs::perms::all);
    for (const char* name : names_)
        ASSERT_EQ(chown(name, 65534, 65534) == 0 || geteuid() != 0, true);
    chmod("sub/c.sch", 0444);
    int code = tn_test::run_unprivileged([&] {
        FileSet set("root.sch", owner_);
        int staged = stage_all(set);
        return staged == 50 ? 0 : 1;
    });
    EXPECT_EQ(code, 0) << "the read-only file fails the set with 50";
    EXPECT_EQ(state(), "old");
    EXPECT_EQ(entries(), 4u) << "no temporary, no backup";
}

TEST_F(FileSetTest, AStopWhileReplacingIsCompletedByTheNextRunAndNeverUndone) {
    // Stopped once the record is written (step 5), and after each file (6).
    for (int stop_after = 0; stop_after <= 3; ++stop_after) {
        for (const char* name : names_) tn_test::write_text(name, "old");
        int code = tn_test::run_in_child([&] {
            static int left;
            left = stop_after;
            set_replace_step_hook([](int step) {
                if ((step == 5 && left == 0) || (step == 6 && --left == 0)) _exit(7);
            });
            FileSet set("root.sch", owner_);
            if (stage_all(set) != 0) return 1;
            return set.commit() == 0 ? 0 : 2;
        });
        ASSERT_EQ(code, 7) << stop_after;
        EXPECT_EQ(state(), stop_after == 0   ? "old"
                           : stop_after == 3 ? "new"
                                             : "mixed")
            << stop_after;
        std::string problem;
        EXPECT_EQ(complete_file_set("root.sch", targets(), &problem), FILE_SET_COMPLETED)
            << problem;
        EXPECT_EQ(state(), "new") << stop_after;
        EXPECT_EQ(complete_file_set("root.sch", targets(), nullptr), FILE_SET_NONE);
        EXPECT_EQ(entries(), 7u) << "no temporary or record is left, " << stop_after;
    }
}

TEST_F(FileSetTest, AFileSavedSinceTheStopIsNeverOverwritten) {
    int code = tn_test::run_in_child([&] {
        set_replace_step_hook([](int step) {
            if (step == 6) _exit(7);
        });
        FileSet set("root.sch", owner_);
        if (stage_all(set) != 0) return 1;
        return set.commit();
    });
    ASSERT_EQ(code, 7);
    EXPECT_EQ(save_text("sub/c.sch", "edited"), 0);
    std::string problem;
    EXPECT_EQ(complete_file_set("root.sch", targets(), &problem), FILE_SET_REFUSED);
    EXPECT_NE(problem.find("c.sch changed since"), std::string::npos) << problem;
    EXPECT_EQ(tn_test::read_text("sub/c.sch"), "edited");
    EXPECT_EQ(tn_test::read_text("b.sch"), "old") << "nothing moved";
    // A damaged record is refused the same way, and so is one that an
    // older version wrote (its numbers were read otherwise).
    std::string record = temporary_stem(fs::absolute("root.sch").string()) + ".j";
    ASSERT_TRUE(fs::exists(record));
    tn_test::write_text(record, "tessaron file set 2\n4 test\n0 \n1\n4 /etc\n0 \n0 0 0\n");
    EXPECT_EQ(complete_file_set("root.sch", targets(), &problem), FILE_SET_REFUSED);
    EXPECT_NE(problem.find("damaged"), std::string::npos) << problem;
    tn_test::write_text(record, "tessaron file set 1\n1\n4 /etc\n0 \n0 0 0 0 0 0\nend\n");
    EXPECT_EQ(complete_file_set("root.sch", targets(), &problem), FILE_SET_REFUSED);
    EXPECT_NE(problem.find("written by another version of the program"), std::string::npos)
        << problem;
    EXPECT_EQ(tn_test::read_text("b.sch"), "old");
}

// A record is a file of the project like any other: one made by hand moves
// nothing but the set's own staged files over the files the run names.
class HostileRecordTest : public FileSetTest {
protected:
    void SetUp() override {
        FileSetTest::SetUp();
        fs::create_directory("outside");
        tn_test::write_text("outside/victim.txt", "precious");
        tn_test::write_text("notes.txt", "notes");
    }
    std::string absolute(const std::string& name) const { return fs::absolute(name).string(); }
    std::string staged(const std::string& target) const {
        return temporary_stem(absolute(target)) + ".s";
    }
    SetMember member(const std::string& target, const std::string& backup = "") const {
        SetMember m;
        m.target = target;
        m.backup = backup;
        struct stat st {};
        if (lstat(target.c_str(), &st) == 0) {
            m.was = {true,
                     static_cast<uint64_t>(st.st_dev),
                     static_cast<uint64_t>(st.st_ino),
                     static_cast<uint64_t>(st.st_size),
                     st.st_mtim.tv_sec,
                     st.st_mtim.tv_nsec};
        }
        return m;
    }
    // Leaves a record of those members beside root.sch and completes it.
    std::string complete(const std::vector<SetMember>& members) {
        tn_test::write_text(temporary_stem(absolute("root.sch")) + ".j",
                            set_record_text({owner_, members}));
        std::string problem;
        EXPECT_EQ(complete_file_set("root.sch", targets(), &problem), FILE_SET_REFUSED);
        return problem;
    }
    void expect_untouched() {
        EXPECT_EQ(tn_test::read_text("outside/victim.txt"), "precious");
        EXPECT_EQ(tn_test::read_text("notes.txt"), "notes");
        EXPECT_EQ(state(), "old");
        EXPECT_FALSE(fs::is_symlink("root.sch"));
    }
};

TEST_F(HostileRecordTest, ATargetOutsideTheRunsSheetsIsRefused) {
    // The first member is a sheet of the run with its staged file: nothing
    // moves unless every member may.
    tn_test::write_text(staged("b.sch"), "new");
    tn_test::write_text(temporary_stem(absolute("outside/victim.txt")) + ".s", "evil");
    std::string problem =
        complete({member(absolute("b.sch")), member(absolute("outside/victim.txt"))});
    EXPECT_NE(problem.find("victim.txt is not a sheet of this run"), std::string::npos) << problem;
    // The same file reached through the project's folder and "..".
    std::string around = absolute("sub") + "/../outside/victim.txt";
    problem = complete({member(absolute("b.sch")), member(around)});
    EXPECT_NE(problem.find("is not a file of the project as its record names it"),
              std::string::npos)
        << problem;
    expect_untouched();
}

TEST_F(HostileRecordTest, ABackupOtherThanTheSheetsOwnIsRefused) {
    tn_test::write_text(staged("b.sch"), "new");
    std::string problem = complete({member(absolute("b.sch"), absolute("notes.txt"))});
    EXPECT_NE(problem.find("notes.txt is not the backup of"), std::string::npos) << problem;
    expect_untouched();
    EXPECT_FALSE(fs::exists("b.BAK"));
}

TEST_F(HostileRecordTest, AStagedFileThatIsALinkOrHasOtherNamesIsRefused) {
    fs::create_symlink(absolute("outside/victim.txt"), staged("root.sch"));
    std::string problem = complete({member(absolute("root.sch"))});
    EXPECT_NE(problem.find("is not a file that the stopped run wrote"), std::string::npos)
        << problem;
    expect_untouched();
    fs::remove(staged("root.sch"));
    fs::create_hard_link("outside/victim.txt", staged("root.sch"));
    problem = complete({member(absolute("root.sch"))});
    EXPECT_NE(problem.find("is not a file that the stopped run wrote"), std::string::npos)
        << problem;
    expect_untouched();
    // A record that is itself a link is not read.
    fs::remove(staged("root.sch"));
    std::string record = temporary_stem(absolute("root.sch")) + ".j";
    fs::remove(record);
    tn_test::write_text("outside/record", set_record_text({owner_, {member(absolute("b.sch"))}}));
    fs::create_symlink(absolute("outside/record"), record);
    std::string why;
    EXPECT_EQ(complete_file_set("root.sch", targets(), &why), FILE_SET_REFUSED);
    EXPECT_NE(why.find("damaged"), std::string::npos) << why;
}

TEST_F(HostileRecordTest, ARecordWithNothingLeftToMoveIsOnlyCleared) {
    // Members that name anything at all, none with a staged file: the set
    // is complete, and the record goes.
    PendingSet pending;
    tn_test::write_text(temporary_stem(absolute("root.sch")) + ".j",
                        set_record_text({{"annotation", ""},
                                         {member(absolute("outside/victim.txt"), "/etc/passwd")}}));
    ASSERT_TRUE(file_set_pending("root.sch", &pending));
    EXPECT_EQ(pending.read, RecordRead::READ);
    EXPECT_FALSE(pending.files_left);
    EXPECT_EQ(pending.record.owner.job, "annotation");
    EXPECT_EQ(complete_file_set("root.sch", targets(), nullptr), FILE_SET_COMPLETED);
    EXPECT_FALSE(file_set_pending("root.sch"));
    expect_untouched();
}

TEST_F(InTempDir, AJobReadsEachFolderOnceToFindNamesIgnoringCase) {
    tn_test::write_text("Old.sch", "old");
    {
        FolderSyncBatch job;
        EXPECT_EQ(system_path("OLD.SCH"), "Old.sch");
        // What the job writes joins what it read of the folder...
        EXPECT_EQ(save_text("new.sch", "new"), 0);
        EXPECT_EQ(system_path("NEW.SCH"), "new.sch");
        EXPECT_EQ(save_text("NEW.SCH", "newer", false), 0);
        EXPECT_EQ(tn_test::read_text("new.sch"), "newer");
        EXPECT_FALSE(fs::exists("NEW.SCH"));
        // ... what another program makes meanwhile is seen by the next job.
        tn_test::write_text("Other.sch", "other");
        EXPECT_EQ(system_path("OTHER.SCH"), "OTHER.SCH");
    }
    EXPECT_EQ(system_path("OTHER.SCH"), "Other.sch");
    EXPECT_EQ(system_path("NEW.SCH"), "new.sch");
}

TEST_F(InTempDir, NamesThatReachOneFileHaveOneIdentity) {
    fs::create_directories("d/e");
    tn_test::write_text("d/a.sch", "x");
    fs::create_hard_link("d/a.sch", "d/e/linked.sch");
    std::string a = file_identity("d/a.sch");
    EXPECT_EQ(file_identity("D\\A.SCH"), a);
    EXPECT_EQ(file_identity("./d/e/../a.sch"), a);
    EXPECT_EQ(file_identity(dos("d\\a.sch").c_str()), a);
    EXPECT_EQ(file_identity("d/e/linked.sch"), a);
    EXPECT_NE(file_identity("d/b.sch"), a);
    // Missing files are one when their paths are, "." and ".." aside.
    EXPECT_EQ(file_identity("d/./e/../b.sch"), file_identity("d/b.sch"));
    EXPECT_EQ(file_identity("../x/../../b.sch"), "../../b.sch");
    EXPECT_EQ(file_identity("/../b.sch"), "/b.sch");
}

TEST_F(InTempDir, ACrashedSavesTemporaryIsFoundByItsName) {
    tn_test::write_text("a.sch", "old");
    std::string stem = temporary_stem("./a.sch");
    // What crashed saves left in the first slots, and a save that still runs.
    tn_test::write_text(stem + ".0", "crashed");
    tn_test::write_text(stem + ".0b", "crashed backup");
    tn_test::write_text(stem + ".2", "crashed");
    AtomicFile running("a.sch");
    ASSERT_TRUE(running.is_open());
    EXPECT_EQ(running.target(), "a.sch");
    EXPECT_EQ(save_text("a.sch", "new"), 0);
    EXPECT_FALSE(fs::exists(stem + ".0b"));
    EXPECT_FALSE(fs::exists(stem + ".2"));
    EXPECT_EQ(files_in("."), 3u) << "the file, its backup and the running save's temporary";
    EXPECT_EQ(running.commit(), 0);
    EXPECT_EQ(files_in("."), 2u);
}

// --- what a job may replace ------------------------------------------------------------------

namespace kinds {

struct KnownFile {
    const char* data;  // under tests/data
    FileKind kind;
};

// The files the jobs' tests keep, each known as the kind its job writes and
// as no other.
const KnownFile known_files[] = {
    {"model/documents/sheet/every_section.sch", FileKind::SHEET},
    {"model/items/library_sample.bin", FileKind::LIBRARY},
    // The header is optional: without it the record's tag comes first.
    {"model/documents/sheet/every_section_bare.sch", FileKind::SHEET},
    {"model/items/library_sample_bare.bin", FileKind::LIBRARY},
    {"model/documents/sheet/titleblock.tmp", FileKind::TITLE_BLOCK},
    {"connectivity/no_wires.net", FileKind::NET_FILE},
    {"model/documents/sheet/every_section.asc", FileKind::SHEET_SOURCE},
    {"model/items/library_sample.txt", FileKind::LIBRARY_SOURCE},
    {"model/documents/sheet/titleblock.txt", FileKind::TITLE_BLOCK_SOURCE},
    {"connectivity/divider.cir", FileKind::NETLIST},
    {"connectivity/divider.edf", FileKind::NETLIST},
    {"connectivity/divider.pel", FileKind::NETLIST},
    {"connectivity/divider.tnf", FileKind::NETLIST},
    {"connectivity/erc_job.erc", FileKind::ERC_REPORT},
    {"connectivity/bom_paged.bom", FileKind::BOM},
    {"model/items/prefix_report.lst", FileKind::LISTING},
    // A paste file's header names the kind of its contents: it is none of them.
    {"model/documents/paste/sheet_selection.bin", FileKind::PASTE},
    {"model/documents/paste/titleblock.bin", FileKind::PASTE},
    {"model/documents/paste/library_pieces.bin", FileKind::PASTE},
};

TEST(FileKinds, EachFileAJobWritesIsKnownAsItsKindAndNoOther) {
    for (const KnownFile& known : known_files) {
        std::string path = tn_test::data_path(known.data);
        for (const KnownFile& other : known_files)
            EXPECT_EQ(file_is_of_kind(path.c_str(), other.kind), other.kind == known.kind)
                << known.data << " as " << file_kind_text(other.kind);
        EXPECT_TRUE(file_is_of_kind(path.c_str(), FileKind::ANY));
    }
}

}  // namespace kinds

TEST_F(InTempDir, TextsThatOnlyLookLikeAKindAreNotOfIt) {
    const std::pair<const char*, FileKind> texts[] = {
        {"* a list of things\n* to do\n", FileKind::NETLIST},  // no ".end"
        {"* deck\n.endif\n", FileKind::NETLIST},
        {"(LIBRARY of books)\n", FileKind::LIBRARY_SOURCE},
        {"@Schema notes without their mark\n", FileKind::SHEET},
        {"Bill of materials for the kitchen\n", FileKind::BOM},
    };
    for (const auto& [text, kind] : texts) {
        tn_test::write_text("x.txt", text);
        EXPECT_FALSE(file_is_of_kind("x.txt", kind)) << text;
    }
    tn_test::write_text("x.txt", "/* made by hand */\n  (schematic\n");
    EXPECT_TRUE(file_is_of_kind("x.txt", FileKind::SHEET_SOURCE)) << "comments and case aside";
    tn_test::write_text("x.txt", "* title\nR1 1 0 1k\n.END\n\n");
    EXPECT_TRUE(file_is_of_kind("x.txt", FileKind::NETLIST));
    EXPECT_FALSE(file_is_of_kind("missing.txt", FileKind::ANY));
}

std::string printed;
void print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    tn_test::append_vprintf(printed, format, args);
    va_end(args);
}

TEST_F(InTempDir, InAJobAWriteReplacesOnlyAFileOfItsKindAndFollowsLinksOnlyToOne) {
    printed.clear();
    auto save_as = [](const char* path, FileKind kind) {
        return write_atomically(
            path, "w", [](FILE* f) { return std::fputs("( { Tessaron Native Format\n", f) < 0; },
            true, ".BAK", nullptr, kind);
    };
    fs::create_directories("proj/gen");
    fs::create_directory("away");
    tn_test::write_text("away/notes.txt", "notes");
    tn_test::write_text("proj/old.net", "* deck\n.end\n");
    tn_test::write_text("proj/empty.net", "");
    fs::create_symlink("../away/notes.txt", "proj/notes.net");
    fs::create_symlink("gen/made.net", "proj/inside.net");
    fs::create_symlink("../away/made.net", "proj/outside.net");
    EXPECT_EQ(save_as("proj/notes.net", FileKind::NETLIST), 0)
        << "outside a job: the user's choice";
    tn_test::write_text("away/notes.txt", "notes");
    {
        ProjectWrites job("proj/root.sch", print);
        EXPECT_EQ(save_as("proj/old.net", FileKind::NETLIST), 0) << "a netlist of another format";
        EXPECT_EQ(save_as("proj/empty.net", FileKind::NETLIST), 0) << "nothing to lose";
        EXPECT_EQ(save_as("proj/new.net", FileKind::NETLIST), 0);
        EXPECT_EQ(save_as("proj/inside.net", FileKind::NETLIST), 0);
        EXPECT_TRUE(fs::exists("proj/gen/made.net"));
        EXPECT_EQ(save_as("proj/notes.net", FileKind::NETLIST), FILE_NOT_WRITTEN);
        EXPECT_EQ(save_as("proj/outside.net", FileKind::NETLIST), FILE_NOT_WRITTEN);
        EXPECT_EQ(save_as("away/notes.txt", FileKind::NETLIST), FILE_NOT_WRITTEN);
        EXPECT_EQ(save_as("proj/old.net", FileKind::SHEET), FILE_NOT_WRITTEN);
        EXPECT_EQ(save_as("away/notes.txt", FileKind::ANY), 0) << "a write of no kind";
        tn_test::write_text("away/notes.txt", "notes");
        {
            ProjectWrites nested("away/x.sch", print);  // the project grows by its folder
            EXPECT_EQ(save_as("proj/outside.net", FileKind::NETLIST), 0);
        }
    }
    EXPECT_EQ(tn_test::read_text("away/notes.txt"), "notes");
    EXPECT_TRUE(fs::exists("away/made.net"));
    const std::string away = fs::canonical("away").string();
    EXPECT_NE(printed.find("'proj/notes.net' is not written: it is not a netlist (a link to '" +
                           away + "/notes.txt')\n"),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("'proj/outside.net' is not written: it is a link to '" + away +
                           "/made.net', outside the project\n"),
              std::string::npos)
        << printed;
}

// What a job's write examined is what it replaces: a file put under that
// name meanwhile (by another process) is neither replaced nor lost, nor is
// a link made there followed; the write fails as refused.
TEST_F(InTempDir, InAJobAFileSwappedInAfterTheCheckIsNotReplaced) {
    printed.clear();
    fs::create_directories("proj");
    fs::create_directories("away");
    tn_test::write_text("away/notes.txt", "notes");
    tn_test::write_text("proj/out.net", "* deck\n.end\n");
    tn_test::write_text("proj/theirs.txt", "theirs");
    ProjectWrites job("proj/root.sch", print);
    for (bool batch : {false, true}) {
        FolderSyncBatch sync(batch ? FolderSyncBatch::Commits::AT_END
                                   : FolderSyncBatch::Commits::AT_ONCE);
        AtomicFile out("proj/out.net", "w", nullptr, FileKind::NETLIST);
        AtomicFile fresh("proj/new.net", "w", nullptr, FileKind::NETLIST);
        ASSERT_TRUE(out.is_open() && fresh.is_open());
        std::fputs("* new\n.end\n", out.stream());
        std::fputs("* new\n.end\n", fresh.stream());
        fs::rename("proj/theirs.txt", "proj/out.net");
        fs::create_symlink("../away/notes.txt", "proj/new.net");
        int first = out.commit(true), second = fresh.commit(true);
        if (batch) {
            EXPECT_EQ(first, 0) << "staged";
            EXPECT_EQ(second, 0) << "staged";
            EXPECT_EQ(finish_saves(sync), FILE_NOT_WRITTEN);
        } else {
            EXPECT_EQ(first, FILE_NOT_WRITTEN);
            EXPECT_EQ(second, FILE_NOT_WRITTEN);
        }
        EXPECT_EQ(tn_test::read_text("proj/out.net"), "theirs");
        EXPECT_FALSE(fs::exists("proj/out.BAK"));
        EXPECT_TRUE(fs::is_symlink("proj/new.net"));
        EXPECT_EQ(tn_test::read_text("away/notes.txt"), "notes");
        fs::rename("proj/out.net", "proj/theirs.txt");
        tn_test::write_text("proj/out.net", "* deck\n.end\n");
        fs::remove("proj/new.net");
    }
    EXPECT_NE(printed.find("'proj/out.net' is not written: it changed while it was written"),
              std::string::npos)
        << printed;
    EXPECT_EQ(files_in("proj"), 2u) << "no temporary is left";
}

TEST_F(InTempDir, AJobsStagedFilesGoInPlaceAllOrNone) {
    // More files than hold a descriptor at once, one of them staged twice.
    auto name = [](int i) { return "f" + std::to_string(i) + ".sch"; };
    for (int i = 0; i < 100; ++i) tn_test::write_text(name(i), "old");
    for (bool keep : {false, true}) {
        FolderSyncBatch batch(FolderSyncBatch::Commits::AT_END);
        for (int i = 0; i < 100; ++i) ASSERT_EQ(save_text(name(i).c_str(), "new", false), 0);
        ASSERT_EQ(save_text(name(0).c_str(), "newest", false), 0);
        EXPECT_EQ(tn_test::read_text(name(99)), "old");
        EXPECT_EQ(tn_test::read_text(name(0)), "old");
        if (keep) {
            EXPECT_TRUE(batch.finish());
            EXPECT_EQ(tn_test::read_text(name(0)), "newest");
            EXPECT_EQ(tn_test::read_text(name(99)), "new");
        } else {
            batch.discard();
            for (int i = 0; i < 100; ++i) EXPECT_EQ(tn_test::read_text(name(i)), "old") << i;
        }
        EXPECT_EQ(files_in("."), 100u) << "no temporary is left";
    }
}

}  // namespace
