#include "peer_table.h"

#include <fstream>
#include <sstream>

namespace peer {

std::map<std::string, KnownDifference> ReadKnownDifferences(const std::string& path) {
  std::map<std::string, KnownDifference> known;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string module, row, why;
    if (!std::getline(fields, module, '\t') || !std::getline(fields, row, '\t')) continue;
    std::getline(fields, why);
    known[module] = KnownDifference{std::stoi(row), why};
  }
  return known;
}

std::vector<std::string> ManifestModules(const std::string& manifest_path) {
  std::vector<std::string> modules;
  std::ifstream in(manifest_path);
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (header) {
      header = false;
      continue;
    }
    const std::string name = line.substr(0, line.find('\t'));
    if (!name.empty()) modules.push_back(name);
  }
  return modules;
}

TableLine CompareModule(const std::string& modules_dir, const std::string& module,
                        const std::map<std::string, KnownDifference>& known, const Stretch& stretch) {
  TableLine line;
  line.module = module;
  const std::vector<std::uint8_t> file = ReadFile(modules_dir + "/" + module);
  line.comparison = Compare(OurRows(file, stretch), PeerRows(file, stretch));
  const auto listed = known.find(module);
  if (line.comparison.agree) {
    if (listed != known.end()) line.note = "listed as differing, now agrees: " + listed->second.why;
    return line;
  }
  if (listed == known.end()) {
    line.regression = true;
    line.note = "not listed as differing";
  } else if (line.comparison.first_diff >= 0 && line.comparison.first_diff < listed->second.first_diff) {
    line.regression = true;
    line.note = "differs from row " + std::to_string(line.comparison.first_diff) + ", listed from row " +
                std::to_string(listed->second.first_diff) + ": " + listed->second.why;
  } else {
    line.note = listed->second.why;
  }
  return line;
}

std::string FormatLine(const TableLine& line) {
  std::ostringstream out;
  out << line.module << "\t" << line.comparison.compared << "\t" << (line.comparison.agree ? "agree" : "differ")
      << "\t" << line.comparison.first_diff << "\t" << line.comparison.detail << "\t"
      << (line.regression ? "REGRESSION: " : "") << line.note;
  return out.str();
}

}  // namespace peer
