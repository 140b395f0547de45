// A click on an item label: Exit ends the program; any other item makes the executable's
// drive current and starts its command line, leaving the menu open. The first failure
// abandons the click silently.
#include "app/forms/failure.h"
#include "menu/frm_tavik_main.h"

namespace menu {

void frmTavikMain::lblMenu_Click(std::int16_t Index) {
    (void)forms::attempt([&] {
        if (Index == ExitIndex()) {
            platform().quit();
            return;
        }
        const std::string folder = platform().executable_folder();
        forms::require(!folder.empty() && platform().change_drive(folder.substr(0, 1)),
                       forms::FailureKind::NoDrive, "the executable's folder names no drive");
        forms::require(platform().start_program(lblMenu(Index).tag()),
                       forms::FailureKind::NothingStarted, "nothing could be started");
    });
}

} // namespace menu
