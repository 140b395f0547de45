// make-assets DIR: writes background.bmp, background@2x.bmp, hand.cur and app.ico into DIR (which
// must exist). The output depends on nothing but this program, so reruns reproduce the committed
// files.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/make_assets/assets.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-assets DIR\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const auto& [name, bytes] : make_assets::make_all_assets()) {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "make-assets: cannot write " << (folder / name).string() << '\n';
            return 1;
        }
    }
    return 0;
}
