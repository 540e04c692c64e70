// Our row sequence and row lengths against libopenmpt's over the shared module corpus. Known
// differences are listed with their reasons; any other difference, or one that now starts
// earlier than listed, is a regression.
#include <gtest/gtest.h>

#include <cstdio>

#include "peer_table.h"
#include "self_check.h"

namespace {

const std::string kModules = std::string(TARVELON_SHARED_DIR) + "/xm/modules";
const std::string kManifest = std::string(TARVELON_SHARED_DIR) + "/xm/MANIFEST.tsv";
const std::string kKnown = std::string(TARVELON_SOURCE_DIR) + "/tests/peer/known_differences.tsv";

// Shorter than the table xmpeer prints (2000 rows or 3 minutes), so that the test stays quick;
// every listed difference starts well inside it.
const peer::Stretch kStretch{1000, 90.0};

TEST(PeerRows, KnownDifferencesAreReadWithTheirRows) {
  const auto known = peer::ReadKnownDifferences(kKnown);
  ASSERT_TRUE(known.count("libxm_pattern-delay.xm"));
  EXPECT_EQ(known.at("libxm_pattern-delay.xm").first_diff, 0);
  EXPECT_EQ(known.at("xmpfuzz_load_xm_invalid_pattern_length.xm").first_diff, -1);
  EXPECT_EQ(known.at("mpt_PatternDelays.xm").why.rfind("mandated:", 0), 0u);
}

TEST(PeerRows, ComparisonFindsTheFirstDifferentRow) {
  peer::RowTrace a{true, {{0, 0, 6}, {0, 1, 6}, {0, 2, 6}}};
  peer::RowTrace b{true, {{0, 0, 6}, {0, 1, 18}, {0, 2, 6}, {0, 3, 6}}};
  const auto differ = peer::Compare(a, b);
  EXPECT_FALSE(differ.agree);
  EXPECT_EQ(differ.first_diff, 1);
  EXPECT_EQ(differ.compared, 3);
  b.rows[1].ticks = 6;
  EXPECT_TRUE(peer::Compare(a, b).agree);
  EXPECT_FALSE(peer::Compare(a, peer::RowTrace{false, {}}).agree);
  EXPECT_FALSE(peer::Compare(a, peer::RowTrace{true, {}}).agree);
}

TEST(PeerRows, OurTraceCountsTicksPerRowAndTheStretchBoundsIt) {
  const auto file = peer::ReadFile(kModules + "/libxm_pattern-delay.xm");
  ASSERT_FALSE(file.empty());
  const peer::RowTrace trace = peer::OurRows(file, peer::Stretch{5, 180.0});
  ASSERT_TRUE(trace.loaded);
  ASSERT_EQ(trace.rows.size(), 5u);
  // Row 0: speed 3 with a pattern delay of 1 x 3, then speed 1 with a delay of 2 x 1, then
  // speed 16: the last delay and the last speed of the row give 16 + 2 ticks.
  EXPECT_EQ(trace.rows[0], (peer::RowPlay{0, 0, 18}));
  EXPECT_EQ(trace.rows[1], (peer::RowPlay{0, 1, 16}));
  EXPECT_EQ(peer::OurRows({}, peer::Stretch{}).loaded, false);
}

TEST(PeerRows, SelfCheckRulesComeFromTheManifest) {
  const auto modules = peer::SelfCheckModules(kManifest);
  EXPECT_EQ(modules.size(), 39u);
  bool found = false;
  for (const auto& [module, rule] : modules) found |= module == "libxm_instrument-fadeout.xm" && rule == "channelpairs_eq";
  EXPECT_TRUE(found);
  // Its two channels play the same notes: the renders match.
  const auto check = peer::RunSelfCheck(peer::ReadFile(kModules + "/libxm_instrument-fadeout.xm"), "channelpairs_eq");
  EXPECT_TRUE(check.ran);
  EXPECT_TRUE(check.passed) << check.detail;
}

TEST(PeerRows, CorpusMatchesThePeerExceptWhereListed) {
  const auto known = peer::ReadKnownDifferences(kKnown);
  const auto modules = peer::ManifestModules(kManifest);
  ASSERT_GT(modules.size(), 100u);
  int agree = 0;
  for (const std::string& module : modules) {
    const peer::TableLine line = peer::CompareModule(kModules, module, known, kStretch);
    std::printf("%s\n", peer::FormatLine(line).c_str());
    EXPECT_FALSE(line.regression) << peer::FormatLine(line);
    agree += line.comparison.agree ? 1 : 0;
  }
  std::printf("agree %d of %zu\n", agree, modules.size());
}

}  // namespace
