// Command lines on Linux: Windows splitting rules, where the program is looked for, what a click
// does (a program, the Windows programs' work through the opener, or nothing), and how a program
// is started (own session, /dev/null streams, arguments passed unchanged), with and without an
// exec bit on the medium.
#include <gtest/gtest.h>

#include <elf.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/posix/command_line.h"
#include "app/posix/interpreter.h"
#include "app/posix/linux_start.h"
#include "app/posix/program_path.h"
#include "app/posix/program_start.h"

namespace posix {
// For readable failures: the path, then what starts it.
void PrintTo(const Program& program, std::ostream* os) {
    *os << program.path;
    for (const std::string& part : program.interpreter)
        *os << " <" << part << ">";
}
} // namespace posix

namespace {

namespace fs = std::filesystem;
using posix::CommandLine;
using posix::Program;
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
    // A copy of a system file, mode 0644, its bytes at `offset` replaced when asked.
    std::string copy(const std::string& from, const std::string& relative, std::size_t offset = 0,
                     const std::string& patch = {}) {
        std::ifstream in(from, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!patch.empty())
            bytes.replace(offset, patch.size(), patch);
        return file(relative, bytes, false);
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
    file("pathdir/notondisc.txt", "text", false);
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
        {"folder.sh", std::nullopt}, // a folder never runs
        {"missing.sh", std::nullopt},
        {"", std::nullopt},
        {"/tool.sh", std::nullopt},          // the medium's root, not the executable's folder
        {"pathdir/onpath.sh", std::nullopt}, // a relative path never searches PATH
        {"notondisc.txt", std::nullopt},     // off the medium an exec bit is still needed
    };
    for (const Case& c : cases) {
        const auto found = posix::resolve_program(c.program, places);
        EXPECT_EQ(found ? std::optional<std::string>(found->path) : std::nullopt, c.expected)
            << c.program;
        if (found) {
            EXPECT_TRUE(found->interpreter.empty()) << c.program;
        }
    }
}

// The loader of this machine's programs, as the system's own /bin/sh names it.
std::string system_loader() {
    const auto sh = posix::interpreter_for(fs::canonical("/bin/sh").string());
    return sh && sh->kind == posix::Interpreter::Kind::Loader ? sh->command.at(0) : "";
}

TEST_F(CommandResolve, WithoutExecBitOnTheMediumThroughLoaderOrInterpreter) {
    const std::string disc = dir("medium/disc");
    const std::string loader = system_loader();
    ASSERT_EQ(fs::path(loader).filename().string().rfind("ld-", 0), 0u) << loader;
    const std::string shell = fs::canonical("/bin/sh").string();
    const std::string elf = copy(shell, "medium/disc/bin/tool");
    // Another machine (e_machine), and no PT_INTERP (a static program): neither goes anywhere.
    const char other[] = {static_cast<char>(EM_S390), 0};
    copy(shell, "medium/disc/bin/other", offsetof(Elf64_Ehdr, e_machine), std::string(other, 2));
    const std::string script = file("medium/disc/run.sh", "#!/bin/sh -e \necho\n", false);
    const std::string blanks = file("medium/disc/blanks", "#!  /bin/sh\t\nexit 0\n", false);
    const std::string plain = file("medium/disc/readme.txt", "text", false);
    const std::string on_root = file("medium/go.sh", "#!/bin/sh\n", false);
    file("medium/disc/nointerp.sh", "#!/no/such/shell\n", false);
    file("medium/disc/relative.sh", "#!sh\n", false);
    file("medium/disc/setup.exe", std::string("MZ\0\0\x90\0", 6), false);
    file("outside/escape.sh", "#!/bin/sh\n", false);
    fs::create_symlink(root_ + "/outside/escape.sh", disc + "/link.sh");
    file("pathdir/onpath.sh", "#!/bin/sh\n", false);

    const SearchPlaces places{disc, root_ + "/medium", root_ + "/pathdir"};
    struct Case {
        std::string program;
        std::optional<Program> expected;
    };
    const Case cases[] = {
        {"bin/tool", Program{elf, {loader}}},
        {"BIN/TOOL", Program{elf, {loader}}}, // letter case ignored here too
        {"run.sh", Program{script, {"/bin/sh", "-e"}}},
        {"blanks", Program{blanks, {"/bin/sh"}}},
        {"readme.txt", std::nullopt}, // text without #!: execve refuses it with an exec bit too
        {"/go.sh", Program{on_root, {"/bin/sh"}}},
        {"bin/other", std::nullopt},
        {"nointerp.sh", std::nullopt},
        {"relative.sh", std::nullopt},
        {"setup.exe", std::nullopt},               // a binary that is no ELF of this machine
        {"../../outside/escape.sh", std::nullopt}, // off the medium by `..`
        {"link.sh", std::nullopt},                 // off the medium by a link
        {"onpath.sh", std::nullopt},               // PATH keeps needing the exec bit
    };
    for (const Case& c : cases)
        EXPECT_EQ(posix::resolve_program(c.program, places), c.expected) << c.program;
    // A menu on the root file system has "/" as its medium: PATH still needs the exec bit.
    const SearchPlaces whole{disc, "/", root_ + "/pathdir"};
    EXPECT_EQ(posix::resolve_program("onpath.sh", whole), std::nullopt);
    EXPECT_EQ(posix::resolve_program("run.sh", whole), (Program{script, {"/bin/sh", "-e"}}));

    // Without PT_INTERP the file is static: only the kernel could start it.
    std::ifstream in(shell, std::ios::binary);
    Elf64_Ehdr header{};
    in.read(reinterpret_cast<char*>(&header), sizeof header);
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr ph{};
        in.seekg(static_cast<std::streamoff>(header.e_phoff + i * sizeof ph));
        in.read(reinterpret_cast<char*>(&ph), sizeof ph);
        if (ph.p_type != PT_INTERP)
            continue;
        const auto at = header.e_phoff + i * sizeof ph + offsetof(Elf64_Phdr, p_type);
        const Elf64_Word null_type = PT_NULL;
        copy(shell, "medium/disc/bin/static", at,
             std::string(reinterpret_cast<const char*>(&null_type), sizeof null_type));
    }
    EXPECT_EQ(posix::resolve_program("bin/static", places), std::nullopt);
}

// Only what the kernel starts, PATH by its exact name: `Install` is not /usr/bin/install.
TEST_F(CommandResolve, OnlyWhatTheKernelStartsAndPathByExactName) {
    const std::string disc = dir("medium/disc");
    file("medium/disc/notes.txt", "touch PWNED\n", true);
    file("medium/disc/setup.exe", std::string("MZ\0\0", 4), true);
    file("medium/disc/gone.sh", "#!/no/such/shell\n", true);
    const std::string install = file("pathdir/install", "#!/bin/sh\n", true);
    const SearchPlaces places{disc, root_ + "/medium", root_ + "/pathdir"};
    EXPECT_EQ(posix::resolve_program("notes.txt", places), std::nullopt);
    EXPECT_EQ(posix::resolve_program("setup.exe", places), std::nullopt);
    EXPECT_EQ(posix::resolve_program("gone.sh", places), std::nullopt);
    EXPECT_EQ(posix::resolve_program("Install", places), std::nullopt);
    EXPECT_EQ(posix::resolve_program("install", places), (Program{install, {}}));
}

// What a click does, as the GTK shell and tavik-check both ask it.
TEST_F(CommandResolve, AClickStartsAProgramOpensATargetOrDoesNothing) {
    const std::string disc = dir("medium/disc");
    const std::string tool = file("medium/disc/tool.sh", "#!/bin/sh\n", true);
    file("medium/disc/readme.txt", "touch PWNED\n", false);
    file("medium/disc/docs/Manual.PDF", "%PDF", false);
    file("medium/disc/help/app.chm", "ITSF", false);
    file("medium/disc/notepad.exe", "MZ", false); // a Windows program does not hide the idiom
    file("medium/disc/setup.exe", "MZ", true);
    file("pathdir/install", "#!/bin/sh\n", true);
    file("pathdir/write", "#!/bin/sh\n", true);
    const posix::PosixStartFiles files({disc, root_ + "/medium", root_ + "/pathdir"});
    const posix::DiscPlaces places{disc, root_ + "/medium", '/'};
    using How = posix::LinuxStart::How;
    struct Case {
        const char* line;
        How how;
        std::string what; // program, target (relative to the disc, or a URL) or warning kind
    };
    const std::string pdf = "docs/Manual.PDF", url = "https://x.test/a?b=1";
    const Case cases[] = {
        {"tool.sh a", How::Program, tool},
        {"install", How::Program, root_ + "/pathdir/install"},
        {"Install", How::Nothing, "program_not_found"},
        {"readme.txt", How::Nothing, "no_shebang"},
        {"setup.exe /q", How::Nothing, "not_a_program"},
        {"notepad.exe readme.txt", How::Opener, "readme.txt"},
        {"NOTEPAD README.TXT", How::Opener, "readme.txt"},
        {"C:\\Windows\\notepad.exe readme.txt", How::Opener, "readme.txt"},
        {"\\WINDOWS\\system32\\notepad.exe /p readme.txt", How::Opener, "readme.txt"},
        {"D:\\Tools\\notepad.exe readme.txt", How::Nothing, "program_not_found"},
        {"write readme.txt", How::Opener, "readme.txt"}, // before PATH's write(1)
        {"wordpad.exe readme.txt", How::Opener, "readme.txt"},
        {"explorer.exe", How::Opener, ""},
        {"explorer.exe .", How::Opener, ""},
        {"explorer.exe docs\\manual.pdf", How::Opener, pdf},
        {"explorer /select,docs\\manual.pdf", How::Opener, "docs"},
        {"explorer.exe \\disc\\DOCS\\", How::Opener, "docs"},
        {"explorer.exe https://x.test/a?b=1", How::Opener, url},
        {"explorer.exe C:\\docs", How::Nothing, "nothing_to_open"},
        {"explorer.exe missing.pdf", How::Nothing, "nothing_to_open"},
        {"notepad.exe", How::Nothing, "nothing_to_open"},
        {"iexplore.exe https://x.test/a?b=1", How::Opener, url},
        {"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" docs\\manual.pdf", How::Opener,
         pdf},
        {"msedge --new-window https://x.test/a?b=1", How::Opener, url},
        {"hh.exe help\\app.chm", How::Opener, "help/app.chm"},
        {"rundll32.exe url.dll,FileProtocolHandler https://x.test/a?b=1", How::Opener, url},
        {"rundll32 shell32.dll,Control_RunDLL", How::Nothing, "nothing_to_open"},
        {"cmd /c start \"\" docs\\manual.pdf", How::Opener, pdf},
        {"cmd.exe /C START docs\\manual.pdf", How::Opener, pdf},
        {"cmd /c start \"Manual\" /max docs\\manual.pdf", How::Opener, pdf},
        {"cmd /c dir", How::Nothing, "nothing_to_open"},
        {"https://x.test/", How::Nothing, "program_not_found"},
    };
    for (const Case& c : cases) {
        const posix::LinuxStart got = posix::linux_start(c.line, places, files);
        EXPECT_EQ(got.how, c.how) << c.line << ": " << got.why;
        if (c.how == How::Program)
            EXPECT_EQ(got.program.path, c.what) << c.line;
        else if (c.how == How::Nothing)
            EXPECT_EQ(got.kind, c.what) << c.line;
        else if (posix::is_url(c.what))
            EXPECT_EQ(got.target, c.what) << c.line;
        else
            EXPECT_EQ(got.target, c.what.empty() ? disc : disc + "/" + c.what) << c.line;
    }
    for (const char* drive : {"C:\\x", "c:", "1a:b", ":x", "x"})
        EXPECT_FALSE(posix::is_url(drive)) << drive;
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

// Through the loader and through the #! interpreter: the program gets its own path as argv[0]
// and the item's arguments unchanged.
TEST_F(ProgramStart, WithoutExecBitThroughLoaderAndInterpreter) {
    const std::string out = root_ + "/out.txt";
    const std::string script = file("medium/rec.sh",
                                    "#!/bin/sh -u\n"
                                    "printf '%s|' \"$0\" \"$@\" >> '" +
                                        out +
                                        "'\n"
                                        "echo >> '" +
                                        out + "'\n",
                                    false);
    const std::string elf = copy(fs::canonical("/bin/sh").string(), "medium/bin/shell");
    const SearchPlaces places{root_ + "/medium", root_ + "/medium", ""};
    const auto by_interpreter = posix::resolve_program("rec.sh", places);
    const auto by_loader = posix::resolve_program("bin/shell", places);
    ASSERT_TRUE(by_interpreter && by_loader);
    ASSERT_FALSE(by_interpreter->interpreter.empty());
    ASSERT_FALSE(by_loader->interpreter.empty());
    auto run = [](const Program& program, const std::vector<std::string>& arguments) {
        const pid_t pid = posix::start_process(program, arguments);
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    };
    run(*by_interpreter, {"a b", ""});
    run(*by_loader, {"-c", "printf '%s|' \"$0\" >> '" + out + "'", "zero"});
    EXPECT_EQ(read_all(out), script + "|a b||\nzero|");
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
