// The check tool's two outputs: one JSON object, or text for a person.
#pragma once

#include <ostream>

#include "tools/tavik_check/check_result.h"

namespace check {

void print_json(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& result);
void print_text(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& result);

// One label's linux_start as the reports give it: the text line's words, the JSON object.
std::string linux_start_text(const posix::LinuxStart& start);
std::string linux_start_json(const posix::LinuxStart* start);

} // namespace check
