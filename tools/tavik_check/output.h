// The check tool's two outputs: one JSON object, or text for a person.
#pragma once

#include <ostream>

#include "tools/tavik_check/check_result.h"

namespace check {

void print_json(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& result);
void print_text(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& result);

} // namespace check
