// xmrender and capture as a shell script sees them: --help and --version on standard output
// with exit code 0, a wrong command line as one line on standard error with exit code 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"

namespace {

struct Case {
  std::string command;
  int exit_code;
  std::string out_starts_with;  // empty: nothing on standard output
  std::string err_contains;     // empty: nothing on standard error
};

TEST(ToolCommandLine, HelpVersionAndUsageErrors) {
  const std::string xmrender = XMRENDER_PATH, capture = CAPTURE_PATH;
  const std::string version = TARVELON_VERSION;
  const std::vector<Case> cases = {
      {xmrender + " --help", 0, "usage: xmrender ", ""},
      {xmrender + " in.xm out.wav --seconds 2 --help", 0, "usage: xmrender ", ""},
      {xmrender + " --version", 0, "xmrender (Tarvelon) " + version + "\n", ""},
      {xmrender, 2, "", "xmrender: needs FILE.xm and OUT.wav"},
      {xmrender + " in.xm out.wav --loud", 2, "", "unknown option --loud"},
      {capture + " --help", 0, "usage: capture ", ""},
      {capture + " -h", 0, "usage: capture ", ""},
      {capture + " --version", 0, "capture (Tarvelon) " + version + "\n", ""},
      {capture, 2, "", "capture: needs a command"},
      {capture + " frames out", 2, "", "frames needs OUTDIR and at least one time"},
      {capture + " frames out 1 soon", 2, "", "not a time in seconds: soon"},
      {capture + " bench 0", 2, "", "STEP_MS must be a whole number"},
      {capture + " movie", 2, "", "unknown command movie"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const testsupport::ProgramRun run = testsupport::RunProgram(c.command);
    EXPECT_EQ(run.exit_code, c.exit_code);
    if (c.out_starts_with.empty()) {
      EXPECT_EQ(run.out, "");
    } else {
      EXPECT_EQ(run.out.rfind(c.out_starts_with, 0), 0u) << run.out;
    }
    if (c.err_contains.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_NE(run.err.find(c.err_contains), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
    }
  }
}

}  // namespace
