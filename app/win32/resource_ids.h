/* Resource numbers shared by resources.rc and the shell's code (plain macros: the resource
   compiler reads this file too). */
#pragma once

#define TAVIK_IDB_BACKGROUND 100
#define TAVIK_IDC_HAND 101
#define TAVIK_IDB_BACKGROUND_2X 102
