// xmpeer MODULE_DIR MANIFEST KNOWN_DIFFERENCES [MODULE ...]
// xmpeer --rows FILE.xm   (both players' rows side by side)
//
// Plays every module of the corpus (or the ones named) with our engine and with libopenmpt and
// prints one tab-separated line per module: rows compared, agree / differ, the first differing
// row and what differs there, and the listed reason. Exit status 1 when a module differs in a
// way the list of known differences does not account for.
#include <cstdio>
#include <string>
#include <vector>

#include "peer_table.h"

namespace {

int PrintRows(const char* path) {
  const auto file = peer::ReadFile(path);
  const peer::RowTrace ours = peer::OurRows(file, peer::Stretch{});
  const peer::RowTrace theirs = peer::PeerRows(file, peer::Stretch{});
  std::printf("loaded: ours %d, peer %d; rows: ours %zu, peer %zu\n", ours.loaded, theirs.loaded,
              ours.rows.size(), theirs.rows.size());
  const std::size_t n = ours.rows.size() > theirs.rows.size() ? ours.rows.size() : theirs.rows.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::printf("%5zu", i);
    if (i < ours.rows.size()) {
      std::printf("  %3d/%3d x%-3d", ours.rows[i].order, ours.rows[i].row, ours.rows[i].ticks);
    } else {
      std::printf("  %13s", "");
    }
    if (i < theirs.rows.size()) std::printf("  %3d/%3d x%-3d", theirs.rows[i].order, theirs.rows[i].row, theirs.rows[i].ticks);
    std::printf("\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--rows") return PrintRows(argv[2]);
  if (argc < 4) {
    std::fprintf(stderr, "usage: xmpeer MODULE_DIR MANIFEST KNOWN_DIFFERENCES [MODULE ...]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const auto known = peer::ReadKnownDifferences(argv[3]);
  std::vector<std::string> modules;
  for (int i = 4; i < argc; ++i) modules.push_back(argv[i]);
  if (modules.empty()) modules = peer::ManifestModules(argv[2]);

  int agree = 0, regressions = 0;
  std::printf("module\trows\tresult\tfirst_diff\tdetail\twhy\n");
  for (const std::string& module : modules) {
    const peer::TableLine line = peer::CompareModule(dir, module, known, peer::Stretch{});
    std::printf("%s\n", peer::FormatLine(line).c_str());
    std::fflush(stdout);
    agree += line.comparison.agree ? 1 : 0;
    regressions += line.regression ? 1 : 0;
  }
  std::printf("agree %d of %zu (%.1f %%), regressions %d\n", agree, modules.size(),
              modules.empty() ? 0.0 : 100.0 * agree / modules.size(), regressions);
  return regressions == 0 ? 0 : 1;
}
