// Command lines on Linux: Windows splitting rules, where the program is looked for, and how it
// is started (own session, /dev/null streams, arguments passed unchanged).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/posix/command_line.h"
#include "app/posix/program_start.h"

namespace {

namespace fs = std::filesystem;
using posix::CommandLine;
using posix::SearchPlaces;
using posix::split_command_line;

struct SplitCase {
    const char* line;
    const char* program;
    std::vector<std::string> arguments;
};

TEST(CommandLineSplit, FollowsTheWindowsRules) {
    const SplitCase cases[] = {
        {"", "", {}},
        {"   ", "", {}},
        {"setup.exe", "setup.exe", {}},
        {"  setup.exe  ", "setup.exe", {}},
        {"notepad.exe readme.txt", "notepad.exe", {"readme.txt"}},
        {"setup\\install.exe /quiet", "setup/install.exe", {"/quiet"}},
        {"\\tools\\run.sh a\tb", "/tools/run.sh", {"a", "b"}},
        // A quoted program ends at the next quote, backslashes and all; arguments follow at once.
        {"\"my dir\\a b.sh\" x", "my dir/a b.sh", {"x"}},
        {"\"a\\\"b c", "a/", {"b", "c"}},
        {"\"a b\"c d", "a b", {"c", "d"}},
        {"\"unterminated prog", "unterminated prog", {}},
        // Arguments: CommandLineToArgvW.
        {"p \"a b\" c", "p", {"a b", "c"}},
        {"p a\\\\b", "p", {"a\\\\b"}},
        {"p a\\\"b", "p", {"a\"b"}},
        {"p a\\\\\"b c\"", "p", {"a\\b c"}},
        {"p a\\\\\\\"b", "p", {"a\\\"b"}},
        {"p \"\"", "p", {""}},
        {"p \"\" \"\"", "p", {"", ""}},
        {"p \"a\"\"b\"", "p", {"a\"b"}},
        {"p \"\"\"a\"\"\"", "p", {"\"a\""}},
        {"p a\"b c\"d e", "p", {"ab cd", "e"}},
        {"p trailing   ", "p", {"trailing"}},
    };
    for (const SplitCase& c : cases) {
        const CommandLine got = split_command_line(c.line);
        EXPECT_EQ(got.program, c.program) << "line: " << c.line;
        EXPECT_EQ(got.arguments, c.arguments) << "line: " << c.line;
    }
}

// A throw-away folder tree, removed at the end of each test.
class TempTree : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavik-cmd-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string file(const std::string& relative, const std::string& text, bool executable) {
        const fs::path p = fs::path(root_) / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
        fs::permissions(p, executable ? fs::perms(0755) : fs::perms(0644));
        return p.string();
    }
    std::string dir(const std::string& relative) {
        const fs::path p = fs::path(root_) / relative;
        fs::create_directories(p);
        return p.string();
    }

    std::string root_;
};

using CommandResolve = TempTree;

TEST_F(CommandResolve, LooksWhereAWindowsDiscMeans) {
    const std::string disc = dir("medium/disc");
    const std::string in_disc = file("medium/disc/tool.sh", "#!/bin/sh\n", true);
    const std::string nested = file("medium/disc/setup/install.sh", "#!/bin/sh\n", true);
    const std::string on_medium = file("medium/bin/fromroot.sh", "#!/bin/sh\n", true);
    const std::string on_path = file("pathdir/onpath.sh", "#!/bin/sh\n", true);
    file("medium/disc/readme.txt", "text", false);
    file("pathdir/readme.txt", "text", false);
    dir("medium/disc/folder.sh");
    const std::string upper = file("medium/disc/TOOLS/UPPER.SH", "#!/bin/sh\n", true);
    const std::string shadowing = file("medium/disc/onpath2.sh", "#!/bin/sh\n", true);
    file("pathdir/onpath2.sh", "#!/bin/sh\n", true);

    const SearchPlaces places{disc, root_ + "/medium", "relative:" + root_ + "/pathdir::"};
    struct Case {
        std::string program;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"tool.sh", in_disc},            // bare name: the executable's folder
        {"onpath.sh", on_path},          // then PATH
        {"onpath2.sh", shadowing},       // the folder before PATH
        {"setup/install.sh", nested},    // relative path: from the executable's folder
        {"/bin/fromroot.sh", on_medium}, // leading separator: on the medium
        {"/disc/tool.sh", in_disc},
        {"tools/upper.sh", upper}, // letter case ignored when the exact name is missing
        {"/DISC/Tool.SH", in_disc},
        {"readme.txt", std::nullopt}, // not executable, here or on PATH
        {"folder.sh", std::nullopt},  // a folder never runs
        {"missing.sh", std::nullopt},
        {"", std::nullopt},
        {"/tool.sh", std::nullopt},          // the medium's root, not the executable's folder
        {"pathdir/onpath.sh", std::nullopt}, // a relative path never searches PATH
    };
    for (const Case& c : cases)
        EXPECT_EQ(posix::resolve_program(c.program, places), c.expected) << c.program;
}

TEST_F(CommandResolve, MediumRootIsTheMountPointAbove) {
    const std::string deep = dir("a/b/c");
    struct stat here {
    }, up{};
    ASSERT_EQ(stat(deep.c_str(), &here), 0);
    const std::string root = posix::medium_root(deep);
    ASSERT_EQ(stat(root.c_str(), &up), 0);
    EXPECT_EQ(up.st_dev, here.st_dev);
    EXPECT_EQ(deep.rfind(root == "/" ? "/" : root + "/", 0), 0u) << root;
    if (root != "/") {
        const std::string parent = fs::path(root).parent_path().string();
        struct stat above {};
        ASSERT_EQ(stat(parent.c_str(), &above), 0);
        EXPECT_NE(above.st_dev, here.st_dev);
    }
    // A mount of its own (tmpfs on /dev/shm on most systems) ends the walk there.
    struct stat shm {
    }, dev{};
    if (stat("/dev/shm", &shm) == 0 && stat("/dev", &dev) == 0 && shm.st_dev != dev.st_dev) {
        char pattern[] = "/dev/shm/tavik-medium-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        EXPECT_EQ(posix::medium_root(pattern), "/dev/shm");
        fs::remove_all(pattern);
    }
    EXPECT_EQ(posix::medium_root("relative/path"), "relative/path");
}

using ProgramStart = TempTree;

std::string read_all(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(ProgramStart, OwnSessionNullStreamsArgumentsUnchanged) {
    const std::string out = root_ + "/out.txt";
    const std::string script = file("probe.sh",
                                    "#!/bin/sh\n"
                                    "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
                                    "for a in \"$@\"; do printf '[%s]' \"$a\"; done > '" +
                                        out +
                                        ".tmp'\n"
                                        "echo >> '" +
                                        out +
                                        ".tmp'\n"
                                        "echo \"$fds\" >> '" +
                                        out +
                                        ".tmp'\n"
                                        "cut -d' ' -f6 /proc/$$/stat >> '" +
                                        out +
                                        ".tmp'\n"
                                        "echo $$ >> '" +
                                        out +
                                        ".tmp'\n"
                                        "mv '" +
                                        out + ".tmp' '" + out + "'\n",
                                    true);
    const pid_t pid = posix::start_process(script, {"a b", "", "\"q\"", "-x"});
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string text = read_all(out);
    EXPECT_EQ(text, "[a b][][\"q\"][-x]\n/dev/null\n/dev/null\n/dev/null\n" + std::to_string(pid) +
                        "\n" + std::to_string(pid) + "\n");
}

TEST_F(ProgramStart, NothingStartsWithoutAnExecutable) {
    const std::string text = file("plain.txt", "not a program", false);
    const std::string no_shebang = file("noshebang",
                                        "\x7f"
                                        "ELF garbage",
                                        true);
    EXPECT_EQ(posix::start_process(text, {}), -1);
    EXPECT_EQ(posix::start_process(root_, {}), -1);
    EXPECT_EQ(posix::start_process(root_ + "/missing", {}), -1);
    EXPECT_EQ(posix::start_process(no_shebang, {}), -1);
}

} // namespace
