// What one program start costs on a 32767-item autorun.inf (~1 MB): every key read through
// GetIniString with one parse, the same without a cache (a parse per key), and Form_Load whole
// (for a user without a language and for a German one).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "menu/frm_tavik_main.h"
#include "settings/get_ini_string.h"
#include "settings/ini_document.h"
#include "settings/menu_settings.h"

namespace {

namespace fs = std::filesystem;

constexpr int kItems = 32767;

// A temp folder holding the big autorun.inf, removed at exit.
class BigMenu {
public:
    BigMenu() : folder_(fs::temp_directory_path() / ("tavik-bench-" + std::to_string(getpid()))) {
        fs::create_directories(folder_);
        std::ofstream out(file(), std::ios::binary);
        out << "[autorun]\r\nopen=setup.exe\r\n\r\n[Menu]\r\nPicture=background.bmp\r\n"
               "Caption=Product Installation Disc\r\nNrOfItems="
            << kItems
            << "\r\nOffsetX=600\r\nOffsetY=3100\r\nLineDistance=450\r\nForeColor=&H0\r\n"
               "Highlight=&HFF\r\nFontSize=14\r\n";
        for (int i = 1; i <= kItems; ++i)
            out << "Item" << i << "=Install part " << i << ",setup\\part" << i << ".exe /q\r\n";
    }
    ~BigMenu() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    BigMenu(const BigMenu&) = delete;
    BigMenu& operator=(const BigMenu&) = delete;

    std::string folder() const { return folder_.string(); }
    std::string file() const { return (folder_ / settings::kSettingsFileName).string(); }

    // A new modification time, so that the next read parses the file again, as a fresh start.
    void touch() { fs::last_write_time(file(), base_ + std::chrono::seconds(++touches_)); }

private:
    fs::path folder_;
    fs::file_time_type base_ = fs::file_time_type::clock::now();
    long touches_ = 0;
};

BigMenu& big_menu() {
    static BigMenu menu;
    return menu;
}

// The load's keys in its order: nine fixed ones, then Item1..Item32767.
const std::vector<std::string>& load_keys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k = {
            settings::kPictureKey,   settings::kCaptionKey,   settings::kNrOfItemsKey,
            settings::kOffsetXKey,   settings::kOffsetYKey,   settings::kLineDistanceKey,
            settings::kForeColorKey, settings::kHighlightKey, settings::kFontSizeKey};
        for (int i = 1; i <= kItems; ++i)
            k.push_back(settings::item_key(i));
        return k;
    }();
    return keys;
}

void BM_AllKeysOneParse(benchmark::State& state) {
    BigMenu& menu = big_menu();
    const std::string path = menu.file();
    for (auto _ : state) {
        state.PauseTiming();
        menu.touch();
        state.ResumeTiming();
        for (const std::string& key : load_keys())
            benchmark::DoNotOptimize(settings::GetIniString(settings::kMenuSection, key, path));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(load_keys().size()));
}
BENCHMARK(BM_AllKeysOneParse)->Unit(benchmark::kMillisecond);

// A reader without a cache parses the whole file for every key: measured on the first keys,
// each key costs the same, so the full load is this per-key time x 32776.
void BM_ParsePerKey(benchmark::State& state) {
    std::ifstream in(big_menu().file(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto keys = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        for (std::size_t k = 0; k < keys; ++k)
            benchmark::DoNotOptimize(
                settings::IniDocument::parse(bytes).lookup(settings::kMenuSection, load_keys()[k]));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    // Seconds for all 32776 keys: the time per iteration x (32776 / keys measured).
    state.counters["full_load_s"] = benchmark::Counter(
        static_cast<double>(keys) / static_cast<double>(load_keys().size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ParsePerKey)->Arg(8)->Unit(benchmark::kMillisecond);

// Just enough window system for the load: text is chars x size x 10 twips wide.
class FakePlatform : public forms::Platform {
public:
    explicit FakePlatform(std::string folder) : folder_(std::move(folder)) {}
    forms::Extent measure_text(std::string_view text, const forms::Font& font) override {
        return {static_cast<float>(text.size()) * font.size * 10.0f, font.size * 20.0f};
    }
    void invalidate(const forms::Rect&) override {}
    std::shared_ptr<const forms::Picture> load_picture(const std::string&) override {
        return nullptr;
    }
    void set_cursor(forms::Cursor) override {}
    std::string executable_folder() override { return folder_; }
    char path_separator() const override { return '/'; }
    bool change_drive(std::string_view) override { return false; }
    bool start_program(const std::string&) override { return false; }
    void quit() override {}

private:
    std::string folder_;
};

void form_load(benchmark::State& state, const std::vector<std::string>& languages) {
    BigMenu& menu = big_menu();
    FakePlatform platform(menu.folder());
    for (auto _ : state) {
        state.PauseTiming();
        menu.touch();
        menu::frmTavikMain form(platform);
        form.UserLanguages = languages;
        state.ResumeTiming();
        form.Form_Load();
        benchmark::DoNotOptimize(form.load_facts().count);
    }
}

void BM_FormLoad(benchmark::State& state) {
    form_load(state, {});
}
BENCHMARK(BM_FormLoad)->Unit(benchmark::kMillisecond);

// A German user's load also asks which sections the file has; this one has no [Menu.TAG]
// section, so every key then comes from [Menu], as for a user without a language.
void BM_FormLoadGermanUser(benchmark::State& state) {
    form_load(state, {"de-DE", "en-US"});
}
BENCHMARK(BM_FormLoadGermanUser)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
