// tavik-disc: writes a disc image (ISO 9660 level 3, Joliet, Rock Ridge) from an author's disc
// folder plus the menu for both systems, through xorriso. The author's folder is only read.
// Exit 0 written clean, 1 written with the check's warnings, 2 nothing written.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "menu/frm_tavik_main.h"
#include "settings/get_ini_string.h"
#include "tools/tavik_check/check_result.h"
#include "tools/tavik_check/headless_platform.h"
#include "tools/tavik_disc/volume_id.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tavik-disc [--volume NAME] [--windows-setup EXE] [--linux-setup FILE]\n"
    "                  [--sign-pkcs12 FILE [--sign-password-file FILE] [--timestamp-url URL]]\n"
    "                  DISC_DIR IMAGE.iso\n"
    "       tavik-disc --help | --version\n"
    "\n"
    "Writes IMAGE.iso (ISO 9660 level 3, Joliet, Rock Ridge) from DISC_DIR plus the menu for\n"
    "Windows (setup.exe) and Linux (setup, autorun.sh), after the checks of tavik-check.\n"
    "\n"
    "  --volume NAME              the volume id (default: label= of [autorun], else the\n"
    "                             folder's name)\n"
    "  --windows-setup EXE        the setup.exe to put on the disc\n"
    "  --linux-setup FILE         the Linux setup to put on the disc\n"
    "  --sign-pkcs12 FILE         sign setup.exe (Authenticode) with this key and certificate\n"
    "  --sign-password-file FILE  the password of the PKCS#12 file\n"
    "  --timestamp-url URL        a time-stamping service for the signature\n"
    "  --help                     this text\n"
    "  --version                  the version\n"
    "\n"
    "Exit status: 0 written clean, 1 written with warnings, 2 nothing written.\n";

struct Options {
    std::string volume, windows_setup, linux_setup, autorun_sh, folder, image;
    std::string sign_pkcs12, sign_password_file, timestamp_url;
};

// Where the menus this program puts on discs are, unless the command line names them: installed
// (or unpacked), in share/tavik/ beside its bin/; in the build tree, the other presets' outputs.
void default_payloads(Options& o) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const fs::path here = ec ? fs::path() : self.parent_path();
    const fs::path share = (here / "../share/tavik").lexically_normal();
    const bool installed = fs::is_directory(share, ec);
    if (o.windows_setup.empty())
        o.windows_setup = installed
                              ? (share / "setup.exe").string()
                              : (here / "../win32/app/win32/setup.exe").lexically_normal().string();
    if (o.linux_setup.empty()) // the build that runs on every desktop from Debian 11 on
        o.linux_setup = installed ? (share / "setup").string()
                                  : (here / "../linux-disc/setup").lexically_normal().string();
    o.autorun_sh = ((installed ? share : here) / "autorun.sh").string();
}

// What parse() makes of the command line.
enum class Parsed { Run, Help, Version, Bad };

Parsed parse(int argc, char** argv, Options& o, std::string& error) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return Parsed::Help;
        if (arg == "--version")
            return Parsed::Version;
        std::string* value = arg == "--volume"               ? &o.volume
                             : arg == "--windows-setup"      ? &o.windows_setup
                             : arg == "--linux-setup"        ? &o.linux_setup
                             : arg == "--sign-pkcs12"        ? &o.sign_pkcs12
                             : arg == "--sign-password-file" ? &o.sign_password_file
                             : arg == "--timestamp-url"      ? &o.timestamp_url
                                                             : nullptr;
        if (value != nullptr && i + 1 < argc) {
            *value = argv[++i];
        } else if (value != nullptr) {
            error = arg + " needs a value";
            return Parsed::Bad;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return Parsed::Bad;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        error = "takes a disc folder and an image file, got " + std::to_string(paths.size()) +
                (paths.size() == 1 ? " name" : " names");
        return Parsed::Bad;
    }
    if (o.sign_pkcs12.empty() && (!o.sign_password_file.empty() || !o.timestamp_url.empty())) {
        error = "--sign-password-file and --timestamp-url need --sign-pkcs12";
        return Parsed::Bad;
    }
    o.folder = paths[0];
    o.image = paths[1];
    default_payloads(o);
    return Parsed::Run;
}

bool regular_file(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The volume identifier: asked for, else the autorun label, else the folder's name.
std::string volume_id(const Options& o, const fs::path& folder) {
    std::string name = o.volume;
    if (name.empty())
        name = settings::GetIniString("autorun", "label", (folder / "autorun.inf").string());
    if (name.empty())
        name = folder.filename().string();
    return disc::volume_id_from(name);
}

// Files of the folder that their owner may execute, as image paths ("/tools/viewer").
std::vector<std::string> executables(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink(ec) || !it->is_regular_file(ec))
            continue;
        if ((it->status(ec).permissions() & fs::perms::owner_exec) != fs::perms::none)
            found.push_back((fs::path("/") / fs::relative(it->path(), folder, ec)).string());
    }
    return found;
}

std::vector<std::string> xorriso_arguments(const Options& o, const fs::path& folder,
                                           const std::string& output) {
    std::vector<std::string> a{"xorriso",
                               "-no_rc",
                               "-abort_on",
                               "FAILURE",
                               "-report_about",
                               "SORRY",
                               "-outdev",
                               "stdio:" + output,
                               "-compliance",
                               "iso_9660_level=3",
                               "-joliet",
                               "on",
                               "-rockridge",
                               "on",
                               "-volid",
                               volume_id(o, folder),
                               "-map",
                               folder.string(),
                               "/",
                               "-map",
                               o.windows_setup,
                               "/setup.exe",
                               "-map",
                               o.linux_setup,
                               "/setup"};
    if (!regular_file((folder / "autorun.sh").string()))
        a.insert(a.end(), {"-map", o.autorun_sh, "/autorun.sh"});
    // Owned by root, read-only; folders and what may run executable. The same for every author.
    a.insert(a.end(),
             {"-chown_r", "0",     "/",    "--", "-chgrp_r", "0",    "/",      "--",
              "-chmod_r", "0444",  "/",    "--", "-find",    "/",    "-type",  "d",
              "-exec",    "chmod", "0555", "--", "-chmod",   "0555", "/setup", "/autorun.sh"});
    for (const std::string& path : executables(folder))
        a.push_back(path);
    a.push_back("--");
    // Every date of the image the same for one SOURCE_DATE_EPOCH (xorriso takes the volume's
    // dates and identifiers from it; the files' own dates are set here).
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
        std::string when = "=";
        when.append(epoch);
        a.insert(a.end(),
                 {"-alter_date_r", "b", when, "/", "--", "-alter_date_r", "c", when, "/", "--"});
    }
    a.push_back("-commit");
    return a;
}

std::vector<std::string> osslsigncode_arguments(const Options& o, const std::string& out) {
    std::vector<std::string> a{"osslsigncode", "sign",  "-pkcs12", o.sign_pkcs12,
                               "-n",           "Tavik", "-h",      "sha256"};
    if (!o.sign_password_file.empty())
        a.insert(a.end(), {"-readpass", o.sign_password_file});
    if (!o.timestamp_url.empty())
        a.insert(a.end(), {"-t", o.timestamp_url});
    else if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch)
        a.insert(a.end(), {"-time", epoch}); // the signing time, fixed like every other date
    a.insert(a.end(), {"-in", o.windows_setup, "-out", out});
    return a;
}

// Runs the command with its output in `log`; true when it exits 0.
bool run(const std::vector<std::string>& args, const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0) // most often xorriso not installed: say so rather than only "no image"
        std::cerr << "tavik-disc: cannot run " << args[0] << ": " << std::strerror(rc) << "\n";
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void print_file(const std::string& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            std::fwrite(buffer, 1, n, stderr);
        std::fclose(f);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    switch (parse(argc, argv, o, error)) {
    case Parsed::Help:
        std::cout << kUsage;
        return 0;
    case Parsed::Version:
        std::cout << "tavik-disc " TAVIK_VERSION "\n";
        return 0;
    case Parsed::Bad:
        std::cerr << "tavik-disc: " << error << " (tavik-disc --help shows the usage)\n";
        return 2;
    case Parsed::Run:
        break;
    }
    std::error_code ec;
    const fs::path folder = fs::absolute(o.folder, ec).lexically_normal();
    if (ec || !fs::is_directory(folder, ec)) {
        std::cerr << "tavik-disc: " << o.folder << ": no such folder\n";
        return 2;
    }
    for (const std::string& file : {o.windows_setup, o.linux_setup})
        if (!regular_file(file)) {
            std::cerr << "tavik-disc: " << file << " is missing (build its preset, or name one)\n";
            return 2;
        }
    if (!regular_file((folder / "autorun.sh").string()) && !regular_file(o.autorun_sh)) {
        std::cerr << "tavik-disc: " << o.autorun_sh << " is missing\n";
        return 2;
    }

    // The same load the menu runs: what it would silently ignore, said before the image is made.
    check::HeadlessPlatform platform(folder.string());
    menu::frmTavikMain form(platform);
    const check::CheckResult result = check::run_check(form, check::Medium::FolderIsRoot);
    for (const check::Warning& w : result.warnings)
        std::cerr << "tavik-disc: warning: " << w.key << ": " << w.message << "\n";

    // Written beside the image and renamed when complete: a failed run leaves nothing behind.
    const std::string partial = o.image + ".partial";
    const std::string log = o.image + ".log";
    const std::string signed_setup = o.image + ".setup.exe";
    fs::remove(partial, ec);
    if (!o.sign_pkcs12.empty()) {
        // Authenticode, as vendors sign what they press; the image gets the signed copy and the
        // named setup.exe stays as it was.
        fs::remove(signed_setup, ec);
        if (!run(osslsigncode_arguments(o, signed_setup), log)) {
            print_file(log);
            std::cerr << "tavik-disc: setup.exe could not be signed; no image written\n";
            fs::remove(signed_setup, ec);
            fs::remove(log, ec);
            return 2;
        }
        o.windows_setup = signed_setup;
    }
    const bool written = run(xorriso_arguments(o, folder, partial), log);
    fs::remove(signed_setup, ec);
    if (!written) {
        print_file(log);
        std::cerr << "tavik-disc: no image written\n";
        fs::remove(partial, ec);
        fs::remove(log, ec);
        return 2;
    }
    fs::remove(log, ec);
    fs::rename(partial, o.image, ec);
    if (ec) {
        std::cerr << "tavik-disc: cannot write " << o.image << "\n";
        fs::remove(partial, ec);
        return 2;
    }
    return result.warnings.empty() ? 0 : 1;
}
