// Number texts inside the grammar of the settings' number rules (and a few just outside it),
// generated from a fixed seed: the same list on every run.
#pragma once

#include <string>
#include <vector>

namespace wine_diff {

struct NumberCase {
    std::string group; // what the case exercises, for the report
    std::string text;
};

std::vector<NumberCase> number_corpus();

} // namespace wine_diff
