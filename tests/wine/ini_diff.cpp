// Our INI reader (load_ini_file + lookup) against GetPrivateProfileStringA(section, key, "",
// buf, 256, path) for every probe of every corpus file, absent sections and keys included.
// Ours answers in UTF-8; it is compared after conversion to the ANSI code page. Also whether
// a key is there at all (the Windows build's find_ini_string, which tells absent from empty
// by the default value) and the section names, in the file's order.
#include "ini_diff.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "diff_tally.h"
#include "ini_corpus.h"
#include "ini_exceptions.h"
#include "settings/ascii_case.h"
#include "settings/get_ini_string.h"
#include "settings/ini_cache.h"

namespace wine_diff {
namespace {

std::string utf8_to_ansi(const std::string& s) {
    if (s.empty())
        return s;
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    const int m = WideCharToMultiByte(CP_ACP, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

std::string wine_lookup(const std::string& section, const std::string& key,
                        const std::string& path) {
    char buffer[256];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                             sizeof buffer, path.c_str());
    return std::string(buffer, n);
}

// A folder of its own under %TEMP%, removed with its files at the end.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ =
            std::string(base) + "tavik-wine-diff-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const auto& f : files_)
            DeleteFileA(f.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string write(std::size_t n, const std::string& bytes) {
        const std::string file = path_ + "c" + std::to_string(n) + ".ini";
        if (FILE* f = std::fopen(file.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        files_.push_back(file);
        return file;
    }

private:
    std::string path_;
    std::vector<std::string> files_;
};

} // namespace

bool run_ini_diff() {
    std::printf("ANSI code page %u\n", GetACP());
    Tally tally("INI");
    TempFolder folder;
    const std::vector<IniCase> corpus = ini_corpus();
    const std::vector<ListedIniCase> listed = listed_ini_cases();
    for (std::size_t n = 0; n < corpus.size(); ++n) {
        const IniCase& c = corpus[n];
        const std::string path = folder.write(n, c.bytes);
        const auto document = settings::load_ini_file(path);
        // Lines before the first header: a section for our reader (whose keys Wine's default
        // value does not tell apart), none in Wine's list; a repeated name, which Wine lists
        // again, finds the first section of that name. The menu looks for its own names only.
        std::vector<std::string> names;
        for (const std::string& name : settings::ini_section_names(path))
            if (std::none_of(names.begin(), names.end(), [&](const std::string& seen) {
                    return settings::equal_ignoring_ascii_case(seen, name);
                }))
                names.push_back(name);
        std::vector<std::string> our_names;
        if (document)
            for (const std::string& name : document->section_names())
                if (!name.empty())
                    our_names.push_back(utf8_to_ansi(name));
        std::string listed;
        for (const std::string& name : names)
            listed += " Wine [" + escaped(name) + "]";
        for (const std::string& name : our_names)
            listed += " ours [" + escaped(name) + "]";
        if (names == our_names)
            tally.agree();
        else
            tally.disagree("file " + std::to_string(n) + " (" + c.label + "): section names" +
                           listed);
        std::vector<std::string> sections = c.sections, keys = c.keys;
        sections.insert(sections.end(), {"Absent", ""});
        keys.push_back("Missing");
        for (const auto& section : sections) {
            for (const auto& key : keys) {
                const std::string wine = wine_lookup(section, key, path);
                const std::string ours =
                    utf8_to_ansi(document ? document->lookup(section, key).value_or("") : "");
                const bool wine_has = settings::find_ini_string(section, key, path).has_value();
                const bool ours_has = document && document->holds_value(section, key);
                if (wine_has != ours_has && !section.empty()) {
                    tally.disagree("file " + std::to_string(n) + " (" + c.label + ") [" + section +
                                   "] " + key + ": present for Wine " + std::to_string(wine_has) +
                                   ", for ours " + std::to_string(ours_has));
                    continue;
                }
                if (wine == ours) {
                    tally.agree();
                    continue;
                }
                tally.disagree("file " + std::to_string(n) + " (" + c.label + ") " +
                               escaped(c.bytes, 2000) + " [" + section + "] " + key + ": Wine " +
                               escaped(wine) + ", ours " + escaped(ours));
            }
        }
    }
    // The listed cases must keep giving exactly the pinned answers on both sides.
    for (const ListedIniCase& c : listed) {
        const std::string path = folder.write(corpus.size() + (&c - &listed.front()), c.bytes);
        const auto document = settings::load_ini_file(path);
        const std::string wine = wine_lookup(c.section, c.key, path);
        const std::string ours =
            utf8_to_ansi(document ? document->lookup(c.section, c.key).value_or("") : "");
        if (wine == c.wine && ours == c.ours)
            tally.listed();
        else
            tally.disagree("listed case changed: " + c.label + " [" + c.section + "] " + c.key +
                           ": Wine " + escaped(wine) + " (listed " + escaped(c.wine) + "), ours " +
                           escaped(ours) + " (listed " + escaped(c.ours) + ")");
    }
    return tally.print();
}

} // namespace wine_diff
