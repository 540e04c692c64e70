// The libxm test modules check themselves: two patterns, or paired channels, must render the
// same. This renders a module with our player and mixer, channel by channel, and applies the
// manifest's rule.
#pragma once

#include <string>
#include <vector>

namespace peer {

struct SelfCheck {
  bool ran = false;      // the rule is one we can apply and the module played
  bool passed = false;
  double worst = 0;      // worst relative difference found (0 = identical)
  std::string detail;
};

// `rule` is the manifest's self_check field (an EXPECTED-FAIL(...) prefix is ignored):
// pat0_pat1_eq, channelpairs_eq, channelpairs_lreqrl, channelpairs_leql, channelpairs_pitcheq.
SelfCheck RunSelfCheck(const std::vector<std::uint8_t>& file, const std::string& rule);

// Module name and self_check rule of every manifest line that has one of the rules above.
std::vector<std::pair<std::string, std::string>> SelfCheckModules(const std::string& manifest_path);

}  // namespace peer
