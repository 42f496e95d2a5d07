#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_env.h"

namespace fs = std::filesystem;
using tn_test::read_text;
using tn_test::TempDir;
using tn_test::write_text;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string get(const char* section, const char* key, const char* def = "none",
                    size_t size = 120) {
        std::string out(size, '\0');
        size_t n = get_private_profile_string(section, key, def, out.data(), size, path.c_str());
        out.resize(n);
        return out;
    }
    bool put(const char* section, const char* key, const char* value) {
        return write_private_profile_string(section, key, value, path.c_str());
    }

    TempDir dir;
    std::string path = dir.file("test.ini");
};

TEST_F(ProfileTest, MissingFileGivesDefault) {
    EXPECT_EQ(get("S", "k", "default"), "default");
    EXPECT_EQ(get("S", "k", nullptr), "");
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ProfileTest, NamesIgnoreCaseAndBlanksAreTrimmed) {
    write_text(path, "  [ Tessaron ]  \n   Grid_Size   =   1000   \n\tBAK_FILE\t=\tTrue\t\n");
    EXPECT_EQ(get("TESSARON", "GRID_SIZE"), "1000");
    EXPECT_EQ(get("tessaron", "bak_file"), "True");
    EXPECT_EQ(get("OTHER", "GRID_SIZE"), "none");
}

TEST_F(ProfileTest, FirstDuplicateWins) {
    write_text(path, "[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\nonly=5\n");
    EXPECT_EQ(get("A", "k"), "1");
    EXPECT_EQ(get("A", "only"), "5");  // a repeated section is searched too
    EXPECT_TRUE(put("A", "K", "9"));
    EXPECT_EQ(read_text(path), "[A]\nK=9\nk=2\n[B]\nk=3\n[a]\nk=4\nonly=5\n");
    // Deleting the first occurrence uncovers the next one.
    EXPECT_TRUE(put("A", "k", nullptr));
    EXPECT_EQ(get("A", "k"), "2");
    // A key held only by the repeated section is deleted there.
    EXPECT_TRUE(put("A", "only", nullptr));
    EXPECT_EQ(get("A", "only"), "none");
}

TEST_F(ProfileTest, MalformedLinesAreKeptAndSkipped) {
    write_text(path,
               "stray=before any section\n[S\nno equals sign\n;k=comment\n=empty key\nk=v=w\n"
               "[]\nk=x\n");
    EXPECT_EQ(get("S", "k"), "v=w");  // "[S" names section S
    EXPECT_EQ(get("", "stray"), "none");
    EXPECT_TRUE(put("S", "new", "1"));
    EXPECT_EQ(read_text(path),
              "stray=before any section\n[S\nno equals sign\n;k=comment\n=empty key\nk=v=w\n"
              "new=1\n[]\nk=x\n");
}

TEST_F(ProfileTest, ValueIsCutToTheBuffer) {
    std::string long_value(300, 'x');
    ASSERT_TRUE(put("S", "k", long_value.c_str()));
    EXPECT_EQ(get("S", "k", "", 120), std::string(119, 'x'));
    EXPECT_EQ(get("S", "k", "", 1), "");
    EXPECT_EQ(get("S", "nokey", "a long default", 5), "a lo");
}

TEST_F(ProfileTest, WriteCreatesFileAndSectionAndAppendsInSection) {
    ASSERT_TRUE(put("TESSARON", "A", "1"));
    EXPECT_EQ(read_text(path), "[TESSARON]\nA=1\n");
    ASSERT_TRUE(put("Other", "X", "y"));
    ASSERT_TRUE(put("tessaron", "B", " 2 "));
    ASSERT_TRUE(put("TESSARON", "a", "3"));
    EXPECT_EQ(read_text(path), "[TESSARON]\na=3\nB=2\n\n[Other]\nX=y\n");
}

TEST_F(ProfileTest, NewKeyGoesBeforeBlankLinesEndingTheSection) {
    write_text(path, "[S]\nk=1\n\n\n[T]\nm=2\n");
    ASSERT_TRUE(put("S", "n", "3"));
    EXPECT_EQ(read_text(path), "[S]\nk=1\nn=3\n\n\n[T]\nm=2\n");
}

TEST_F(ProfileTest, NullValueDeletesKey) {
    write_text(path, "[S]\nk=1\nm=2\n");
    ASSERT_TRUE(put("S", "K", nullptr));
    EXPECT_EQ(read_text(path), "[S]\nm=2\n");
    // Deleting what is absent changes nothing and creates nothing.
    ASSERT_TRUE(put("S", "absent", nullptr));
    EXPECT_EQ(read_text(path), "[S]\nm=2\n");
    std::string other = dir.file("none.ini");
    EXPECT_TRUE(write_private_profile_string("S", "k", nullptr, other.c_str()));
    EXPECT_FALSE(fs::exists(other));
}

TEST_F(ProfileTest, EmptyValueIsKeptAsEmpty) {
    ASSERT_TRUE(put("S", "k", ""));
    EXPECT_EQ(get("S", "k", "def"), "");
}

TEST_F(ProfileTest, CrlfFilesStayCrlf) {
    write_text(path, "[S]\r\nk=1\r\n");
    EXPECT_EQ(get("S", "k"), "1");
    ASSERT_TRUE(put("S", "m", "2"));
    EXPECT_EQ(read_text(path), "[S]\r\nk=1\r\nm=2\r\n");
}

TEST_F(ProfileTest, RefusesNamesThatWouldBreakTheFile) {
    EXPECT_FALSE(put("S", "a=b", "1"));
    EXPECT_FALSE(put("S", "a\nb", "1"));
    EXPECT_FALSE(put("S]", "k", "1"));
    EXPECT_FALSE(put("", "k", "1"));
    EXPECT_FALSE(put("S", "  ", "1"));
    // A line starting with '[' is a section header, one starting with ';' a
    // comment: such a key would never be read back.
    EXPECT_FALSE(put("S", "[k", "1"));
    EXPECT_FALSE(put("S", " ;k", "1"));
    ASSERT_TRUE(put("S", "k", "first\nsecond=line"));
    EXPECT_EQ(read_text(path), "[S]\nk=first\n");
    // Inside a key they are plain characters.
    ASSERT_TRUE(put("S", "a[b;", "2"));
    ASSERT_TRUE(put("S", "a[b;", "3"));
    EXPECT_EQ(get("S", "a[b;"), "3");
    EXPECT_EQ(read_text(path), "[S]\nk=first\na[b;=3\n");
}

TEST_F(ProfileTest, SaveReplacesTheFileThroughARename) {
    ASSERT_TRUE(put("S", "k", "1"));
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_TRUE(put("S", "k", "2"));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    int entries = 0;
    for (auto& e : fs::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}

TEST_F(ProfileTest, FailedSaveLeavesNoTemporaryFile) {
    fs::create_directory(path);  // the name is taken by a directory: rename fails
    EXPECT_FALSE(put("S", "k", "1"));
    int entries = 0;
    for (auto& e : fs::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(ProfileTest, AFileThatCannotBeReadIsNeverReplaced) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);  // opening it to read must not wait for a writer
    EXPECT_EQ(get("S", "k"), "none");
    EXPECT_FALSE(put("S", "k", "1"));
    EXPECT_TRUE(fs::is_fifo(path));
    fs::remove(path);

    write_text(path, "[S]\nk=1\nkeep=me\n");
    ::chmod(path.c_str(), 0);
    if (::geteuid() != 0) {  // root reads it anyway
        EXPECT_FALSE(put("S", "k", "2"));
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(read_text(path), "[S]\nk=1\nkeep=me\n");
    }
}

TEST_F(ProfileTest, ALinkedFileIsUpdatedWhereItLies) {
    std::string real = dir.file("real.ini");
    write_text(real, "[S]\nk=1\n");
    ::chmod(real.c_str(), 0600);
    fs::create_symlink(real, path);
    ASSERT_TRUE(put("S", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(read_text(real), "[S]\nk=2\n");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(ProfileTest, AFileTheUserMayNotWriteIsNeverReplaced) {
    fs::permissions(dir.path(), fs::perms::all);
    write_text(path, "[S]\nk=1\n");
    ::chmod(path.c_str(), 0444);
    int code = tn_test::run_unprivileged([&] { return put("S", "k", "2") ? 1 : 0; });
    EXPECT_EQ(code, 0) << "the write is refused";
    EXPECT_EQ(read_text(path), "[S]\nk=1\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(ProfileTest, ABatchSavesItsWritesTogetherWhenItCloses) {
    write_text(path, "[S]\nk=1\ngone=x\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    profile_batch_begin();
    EXPECT_TRUE(put("S", "k", "2"));
    EXPECT_TRUE(put("S", "gone", nullptr));
    {
        ProfileBatch inner;
        EXPECT_TRUE(put("T", "x", "y"));
    }
    EXPECT_EQ(get("S", "k"), "2") << "reads see the batch";
    EXPECT_EQ(get("T", "x"), "y");
    EXPECT_EQ(get("S", "gone"), "none");
    EXPECT_EQ(read_text(path), "[S]\nk=1\ngone=x\n") << "nothing saved yet";
    EXPECT_TRUE(profile_batch_end());
    EXPECT_EQ(read_text(path), "[S]\nk=2\n\n[T]\nx=y\n");
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);

    // A batch that cannot be saved says so and drops its changes.
    fs::permissions(dir.path(), fs::perms::all);
    ::chmod(path.c_str(), 0444);
    int code = tn_test::run_unprivileged([&] {
        profile_batch_begin();
        bool stored = put("S", "k", "3");
        bool saved = profile_batch_end();
        return stored && !saved && get("S", "k") == "2" ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read_text(path), "[S]\nk=2\n\n[T]\nx=y\n");
}

TEST_F(ProfileTest, AFileOfManyKeysKeepsTheRulesOfTheSmallOnes) {
    std::string text = "[A]\n";
    for (int i = 0; i < 20000; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += "\n[B]\nk1=b\n[a]\nk1=late\nextra=e\n";
    write_text(path, text);
    EXPECT_EQ(get("a", "K19999"), "19999");
    EXPECT_EQ(get("A", "extra"), "e") << "the repeated section is searched";
    EXPECT_EQ(get("B", "k1"), "b");
    ASSERT_TRUE(put("A", "k1", nullptr));
    EXPECT_EQ(get("A", "k1"), "late") << "deleting the first occurrence uncovers the next";
    ASSERT_TRUE(put("A", "new", "n"));
    ASSERT_TRUE(put("A", "newer", "m"));
    std::string saved = read_text(path);
    EXPECT_NE(saved.find("k19999=19999\nnew=n\nnewer=m\n\n[B]"), std::string::npos)
        << "new keys go at the end of the first occurrence, in order";
}

TEST_F(ProfileTest, SeesChangesMadeBehindItsBack) {
    ASSERT_TRUE(put("S", "k", "1"));
    EXPECT_EQ(get("S", "k"), "1");
    write_text(path, "[S]\nk=changed outside\n");
    EXPECT_EQ(get("S", "k"), "changed outside");
}

TEST_F(ProfileTest, ASnapshotReadsTheFileOnceAndSeesItsOwnWrites) {
    write_text(path, "[S]\nk=1\n");  // just written: outside a snapshot, read at each look-up
    {
        ProfileSnapshot snapshot;
        EXPECT_EQ(get("S", "k"), "1");
        write_text(path, "[S]\nk=2\n");
        EXPECT_EQ(get("S", "k"), "1") << "the file as the snapshot first read it";
        {
            ProfileSnapshot inner;
            ASSERT_TRUE(put("S", "w", "x"));
        }
        EXPECT_EQ(get("S", "w"), "x") << "its own writes are seen";
    }
    EXPECT_EQ(read_text(path), "[S]\nk=1\nw=x\n") << "a write saves the text it read";
    write_text(path, "[S]\nk=3\n");
    EXPECT_EQ(get("S", "k"), "3") << "closed, the disk is asked again";
}

TEST(ProfilePath, BareNamesLiveInTheConfigurationDirectory) {
    TempDir home;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    EXPECT_EQ(profile_path("Quib.ini"), home.file("tessaron/Quib.ini"));
    // The directory is made on the first write.
    ASSERT_TRUE(write_private_profile_string("TESSARON", "k", "v", "Quib.ini"));
    EXPECT_EQ(read_text(home.file("tessaron/Quib.ini")), "[TESSARON]\nk=v\n");
    // A relative XDG_CONFIG_HOME is not used.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(profile_directory().find("relative"), std::string::npos);
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);

    EXPECT_EQ(profile_path(".\\Quib.ini"), "./Quib.ini");
    EXPECT_EQ(profile_path("/abs/x.ini"), "/abs/x.ini");
}

}  // namespace
