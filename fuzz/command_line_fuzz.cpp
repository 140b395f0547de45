// The Linux shell's command-line split and program lookup on any text. Nothing is started:
// lookups only examine a private temp folder. Checks: the program never keeps a `\`, plain
// arguments split at blanks, arguments quoted the standard way come back unchanged, a found
// program is an executable file inside the folder or one its #! interpreter reads, and PATH
// matches names exactly.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/posix/command_line.h"
#include "app/posix/program_path.h"
#include "fuzz/fuzz_check.h"

namespace {

namespace fs = std::filesystem;

std::string g_root;

void remove_root() {
    std::error_code ec;
    fs::remove_all(g_root, ec);
}

void make_file(const std::string& path, bool executable) {
    std::ofstream(path) << "#!/bin/sh\n";
    FUZZ_CHECK(::chmod(path.c_str(), executable ? 0755 : 0644) == 0);
}

// root/disc (the executable's folder) with Setup.sh, Docs/Readme.txt, Tools/Run;
// root/bin (PATH) with helper. Made once per process, removed at its end.
const posix::SearchPlaces& places() {
    static posix::SearchPlaces p;
    if (g_root.empty()) {
        std::string pattern = (fs::temp_directory_path() / "tavik-fuzz-XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        g_root = pattern;
        std::atexit(remove_root);
        fs::create_directories(g_root + "/disc/Docs");
        fs::create_directories(g_root + "/disc/Tools");
        fs::create_directories(g_root + "/bin");
        make_file(g_root + "/disc/Setup.sh", true);
        make_file(g_root + "/disc/Docs/Readme.txt", false);
        make_file(g_root + "/disc/Tools/Run", true);
        make_file(g_root + "/bin/helper", true);
        p = posix::SearchPlaces{g_root + "/disc", g_root, g_root + "/bin:relative:"};
    }
    return p;
}

std::vector<std::string> blank_split(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && fuzz::is_blank(s[i]))
            ++i;
        if (i == s.size())
            return out;
        const std::size_t start = i;
        while (i < s.size() && !fuzz::is_blank(s[i]))
            ++i;
        out.emplace_back(s.substr(start, i - start));
    }
}

// Quotes one argument so that the Windows rules read it back unchanged: backslashes doubled
// before a quote and at the end, quotes escaped.
std::string windows_quoted(std::string_view arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

void check_split(std::string_view line) {
    const posix::CommandLine cmd = posix::split_command_line(line);
    FUZZ_CHECK(cmd.program.find('\\') == std::string::npos);
    const std::string_view trimmed = fuzz::trim_blanks(line);
    if (!trimmed.empty() && trimmed.front() != '"' &&
        trimmed.find_first_of("\"\\") == std::string_view::npos) {
        const std::vector<std::string> words = blank_split(trimmed);
        FUZZ_CHECK(cmd.program == words.front());
        FUZZ_CHECK(cmd.arguments == std::vector<std::string>(words.begin() + 1, words.end()));
    }
}

// Pieces of the input (cut at NUL bytes) as a program and its arguments, quoted and split again.
void check_round_trip(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t nul; (nul = text.find('\0', start)) != std::string_view::npos; start = nul + 1)
        pieces.emplace_back(text.substr(start, nul - start));
    pieces.emplace_back(text.substr(start));
    std::string program = pieces.front();
    if (program.find('"') != std::string::npos)
        return; // a quoted program ends at the next quote: it cannot hold one
    std::string line = "\"" + program + "\"";
    for (std::size_t i = 1; i < pieces.size(); ++i)
        line += std::string(i % 2 ? " " : " \t ") + windows_quoted(pieces[i]);
    const posix::CommandLine cmd = posix::split_command_line(line);
    for (char& c : program)
        if (c == '\\')
            c = '/';
    FUZZ_CHECK(cmd.program == program);
    FUZZ_CHECK(cmd.arguments == std::vector<std::string>(pieces.begin() + 1, pieces.end()));
}

void check_resolve(const std::string& program) {
    // `..` could lead out of the folder, and the fuzzer would then read the whole disk.
    if (program.find("..") != std::string::npos || program.find('\0') != std::string::npos)
        return;
    const auto found = posix::resolve_program(program, places());
    if (!found)
        return;
    struct stat st {};
    FUZZ_CHECK(::stat(found->path.c_str(), &st) == 0 && S_ISREG(st.st_mode));
    // Without an exec bit only through an interpreter: Docs/Readme.txt names /bin/sh.
    FUZZ_CHECK(found->interpreter.empty()
                   ? ::access(found->path.c_str(), X_OK) == 0
                   : found->interpreter == std::vector<std::string>{"/bin/sh"});
    FUZZ_CHECK(found->path.rfind(g_root + "/", 0) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::as_text(data, size);
    check_split(text);
    check_round_trip(text);
    check_resolve(posix::split_command_line(text).program);
    // Names that differ from the folder's files only in letter case must still be found; PATH's
    // programs only by their exact name.
    const std::string program = posix::split_command_line(text).program;
    const std::string lower = fuzz::ascii_lower(program);
    for (const char* known : {"setup.sh", "tools/run", "/disc/tools/run"})
        if (lower == known)
            FUZZ_CHECK(posix::resolve_program(program, places()).has_value());
    if (lower == "helper")
        FUZZ_CHECK(posix::resolve_program(program, places()).has_value() == (program == "helper"));
    return 0;
}
