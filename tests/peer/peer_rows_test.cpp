// Our row sequence and row lengths against libopenmpt's over the shared module corpus. Known
// differences are listed with their reasons; any other difference, or one that now starts
// earlier than listed, is a regression.
#include <gtest/gtest.h>

#include <cstdio>

#include "peer_table.h"

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
  EXPECT_EQ(known.at("xmp_format_xm_pattrunc.xm").first_diff, -1);
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
