// The bytes come from the assembler's .incbin; the build passes the asset paths as string
// literals and makes this file depend on them.
#include "assets/embedded_assets.h"

#define TAVIK_EMBED(symbol, file)                                                                  \
    __asm__(".section .rodata\n"                                                                   \
            ".balign 16\n"                                                                         \
            ".global " #symbol "_begin\n" #symbol "_begin:\n"                                      \
            ".incbin \"" file "\"\n"                                                               \
            ".global " #symbol "_end\n" #symbol "_end:\n"                                          \
            ".byte 0\n"                                                                            \
            ".previous\n")

TAVIK_EMBED(tavik_background_bmp, TAVIK_BACKGROUND_BMP);
TAVIK_EMBED(tavik_background_2x_png, TAVIK_BACKGROUND_2X_PNG);
TAVIK_EMBED(tavik_hand_cur, TAVIK_HAND_CUR);

extern "C" {
extern const unsigned char tavik_background_bmp_begin[];
extern const unsigned char tavik_background_bmp_end[];
extern const unsigned char tavik_background_2x_png_begin[];
extern const unsigned char tavik_background_2x_png_end[];
extern const unsigned char tavik_hand_cur_begin[];
extern const unsigned char tavik_hand_cur_end[];
}

namespace assets {

std::span<const unsigned char> background_bmp() {
    return {tavik_background_bmp_begin, tavik_background_bmp_end};
}

std::span<const unsigned char> background_2x_png() {
    return {tavik_background_2x_png_begin, tavik_background_2x_png_end};
}

std::span<const unsigned char> hand_cur() {
    return {tavik_hand_cur_begin, tavik_hand_cur_end};
}

} // namespace assets
