// xmselfcheck MODULE_DIR MANIFEST
//
// Renders every module whose manifest line carries a self-check rule (two patterns or paired
// channels that must sound the same) and prints pass / fail with the worst difference found.
#include <cstdio>

#include "peer_rows.h"
#include "self_check.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: xmselfcheck MODULE_DIR MANIFEST\n");
    return 2;
  }
  int passed = 0, ran = 0;
  for (const auto& [module, rule] : peer::SelfCheckModules(argv[2])) {
    const peer::SelfCheck check = peer::RunSelfCheck(peer::ReadFile(std::string(argv[1]) + "/" + module), rule);
    ran += check.ran ? 1 : 0;
    passed += check.passed ? 1 : 0;
    std::printf("%s\t%s\t%s\t%.6f\t%s\n", module.c_str(), rule.c_str(), check.passed ? "pass" : "FAIL", check.worst,
                check.detail.c_str());
  }
  std::printf("passed %d of %d\n", passed, ran);
  return 0;
}
