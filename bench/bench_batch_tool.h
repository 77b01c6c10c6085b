#pragma once

#include <string>

#include "engine/dictionary.h"

namespace wordloom::bench {

// The batch tool run as its own process (`tool`, on `dictionaryPath`): the whole run minus the
// run of an empty letter file, against the literal algorithm's matching of the same sets in this
// process, on the automatic path and with the scans capped at the portable one; then one letter
// set in a fresh process against Debian's `an -w`.
void timeBatchTool(const engine::Dictionary& dictionary, const std::string& tool,
                   const std::string& dictionaryPath, bool quick);

}  // namespace wordloom::bench
