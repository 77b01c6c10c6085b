#pragma once

#include <string>
#include <vector>

namespace wordloom::bench {

// The batch tool's word search on word lists of other languages beside the bundled English one,
// in the same run: the load (read, sort, letter keys and index) per word, and the processor time
// per letter set for 2,000 random 8-letter sets drawn from each list's own letter frequencies,
// without and with 2 of the 8 letters blank. Lists that are not there are passed over.
void timeLanguages(const std::string& englishList, const std::vector<std::string>& lists);

}  // namespace wordloom::bench
