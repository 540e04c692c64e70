// The comparison over the shared module corpus: one line per module, with what the committed
// list of known differences says about it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "peer_rows.h"

namespace peer {

// One known difference: the first differing row recorded for it, and why it differs
// ("mandated: <behaviour>" for a behaviour our player is designed to have, "bug: ..." for
// one of ours still open).
struct KnownDifference {
  std::int32_t first_diff = 0;
  std::string why;
};

std::map<std::string, KnownDifference> ReadKnownDifferences(const std::string& path);

// Module file names from the corpus manifest, in its order.
std::vector<std::string> ManifestModules(const std::string& manifest_path);

struct TableLine {
  std::string module;
  Comparison comparison;
  bool regression = false;  // differs where the list says it agrees, or earlier than listed
  std::string note;         // the listed reason, or what changed
};

TableLine CompareModule(const std::string& modules_dir, const std::string& module,
                        const std::map<std::string, KnownDifference>& known, const Stretch& stretch);

std::string FormatLine(const TableLine& line);

}  // namespace peer
