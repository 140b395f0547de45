// tavik-check [--json] [--language L] [--render FILE.png [--hover N] [--scale N]] [DIR|FILE]:
// runs the menu's own load on the disc folder (default: the current folder), in the user's
// languages or L's, and prints the menu it builds, with one warning per silent fallback. Exit 0
// clean, 1 warnings, 2 unusable arguments. With --preview: the menu's window, loaded again on
// every save (tools/tavik_check/preview.h).
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "settings/ascii_case.h"
#include "settings/menu_settings.h"
#include "settings/user_languages.h"
#include "tools/tavik_check/check_result.h"
#include "tools/tavik_check/headless_platform.h"
#include "tools/tavik_check/language.h"
#include "tools/tavik_check/output.h"
#include "tools/tavik_check/preview_run.h"
#include "tools/tavik_check/render.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tavik-check [--json] [--language L] [--render FILE.png [--hover N] [--scale N]]\n"
    "                   [DIR|FILE]\n"
    "       tavik-check --preview [--json] [--language L] [--scale N] [DIR|FILE]\n"
    "       tavik-check --help | --version\n"
    "\n"
    "Prints the menu that autorun.inf in DIR (default: the current folder) gives, and every\n"
    "setting the menu would silently ignore.\n"
    "\n"
    "  --json             one JSON object instead of text\n"
    "  --language L       the menu a user whose only language is L sees: L a locale name\n"
    "                     (de_DE.UTF-8, zh_CN, C) or a language tag (de-CH, zh-Hans)\n"
    "  --render FILE.png  also draw the window into FILE.png\n"
    "  --hover N          draw label N (0..8, 8 is Exit) highlighted; needs --render\n"
    "  --preview          open the menu's window and load it again on every save of\n"
    "                     autorun.inf or its picture, printing the report each time\n"
    "                     (--json: one object a line); clicks only print what would\n"
    "                     start; the O key shows label boxes, indexes and the pointer\n"
    "                     in twips; closing the window ends it (status 0)\n"
    "  --scale N          draw at N times the designed size (1 to 4: 1.5 is 150 %), with the\n"
    "                     pictures a screen of that scale shows; needs --render or\n"
    "                     --preview\n"
    "  --help             this text\n"
    "  --version          the version\n"
    "\n"
    "Exit status: 0 clean, 1 warnings, 2 unusable arguments.\n";

// A bad command line: one line on stderr, and the status that says so.
int usage_error(const std::string& message) {
    std::cerr << "tavik-check: " << message << " (tavik-check --help shows the usage)\n";
    return 2;
}

bool named_autorun_inf(const fs::path& p) {
    return settings::equal_ignoring_ascii_case(p.filename().string(), settings::kSettingsFileName);
}

// The disc folder for a DIR or an autorun.inf FILE argument; empty when unusable.
std::string disc_folder(const std::string& arg, std::string& error) {
    std::error_code ec;
    fs::path p = fs::absolute(arg, ec);
    if (ec) {
        error = "cannot use " + arg;
        return {};
    }
    if (fs::is_directory(p, ec) && !named_autorun_inf(p.lexically_normal())) {
        p = p.lexically_normal();
    } else if (named_autorun_inf(p) && fs::exists(p.parent_path(), ec)) {
        p = p.parent_path().lexically_normal();
    } else if (fs::is_directory(p, ec)) {
        p = p.lexically_normal(); // a folder named autorun.inf is a disc folder too
    } else {
        error = arg + ": no such folder, and not an autorun.inf file";
        return {};
    }
    std::string folder = check::path_text(p); // the menu's text, as the settings name files
    const std::size_t root = std::max<std::size_t>(p.root_path().string().size(), 1);
    const auto separator = static_cast<char>(fs::path::preferred_separator); // `\` on Windows
    while (folder.size() > root && (folder.back() == '/' || folder.back() == separator))
        folder.pop_back();
    return folder;
}

bool parse_label_index(const std::string& text, int& index) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '8')
        return false;
    index = text[0] - '0';
    return true;
}

// A scale from 1 to 4 in plain decimal ("1", "1.25", "2"), whatever the locale. Read by hand:
// the Debian 11 C++ library the released tool is built with has no from_chars for doubles.
bool parse_scale(const std::string& text, double& scale) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    const auto digits = [](const std::string& t) {
        return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 2 || fraction.size() > 6 || !digits(whole) ||
        !digits(fraction) || (point != std::string::npos && fraction.empty()))
        return false;
    double value = 0, unit = 1;
    for (const char c : whole)
        value = value * 10 + (c - '0');
    for (const char c : fraction)
        value += (c - '0') * (unit /= 10);
    if (!(value >= 1.0 && value <= 4.0))
        return false;
    scale = value;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    bool json = false;
    bool preview = false;
    std::string render_path;
    int hover = -1;
    double scale = 1.0;
    bool scale_given = false;
    std::vector<std::string> paths;
    std::vector<std::string> languages = settings::user_languages();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--preview") {
            preview = true;
        } else if (arg == "--render" || arg == "--hover" || arg == "--scale" ||
                   arg == "--language") {
            if (i + 1 >= argc)
                return usage_error(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--language") {
                if (!check::use_language(value, languages))
                    return usage_error("--language takes a locale name or a language tag, not " +
                                       value);
            } else if (arg == "--render")
                render_path = value;
            else if (arg == "--scale" && !parse_scale(value, scale))
                return usage_error("--scale takes a number from 1 to 4, not " + value);
            else if (arg == "--hover" && !parse_label_index(value, hover))
                return usage_error("--hover takes a label index 0..8, not " + value);
            scale_given = scale_given || arg == "--scale";
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "tavik-check " TAVIK_VERSION "\n";
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage_error("unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() > 1)
        return usage_error("one disc folder at most, got " + std::to_string(paths.size()));
    if (hover >= 0 && render_path.empty())
        return usage_error("--hover needs --render");
    if (preview && !render_path.empty())
        return usage_error("--preview draws the window itself: no --render");
    if (scale_given && render_path.empty() && !preview)
        return usage_error("--scale needs --render or --preview");
    std::string error;
    const std::string folder = disc_folder(paths.empty() ? "." : paths[0], error);
    if (folder.empty()) {
        std::cerr << "tavik-check: " << error << "\n";
        return 2;
    }

    if (preview)
        return check::run_preview({folder, json, languages, scale, scale_given});

    // The load measures and picks pictures at the render's scale, as the window there would.
    check::HeadlessPlatform platform(folder, scale);
    menu::frmTavikMain form(platform);
    form.UserLanguages = languages;
    const check::CheckResult result = check::run_check(form);
    if (json)
        check::print_json(std::cout, form, result);
    else
        check::print_text(std::cout, form, result);
    if (!render_path.empty()) {
        // The mouse at the middle of the label's box: the hover look, as the window draws it.
        if (forms::Label* label = form.label_array().find(hover)) {
            const forms::Rect& b = label->box();
            form.mouse_move({b.left + b.width / 2, b.top + b.height / 2});
        }
        if (!check::render_png(form, render_path, scale)) {
            std::cerr << "tavik-check: cannot write " << render_path << "\n";
            return 2;
        }
    }
    return result.warnings.empty() ? 0 : 1;
}
