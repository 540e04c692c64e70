// The window procedure and the messages made from platform events, without a window system.
#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"
#include "shell/messages.h"
#include "shell/window_proc.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> g_default_seen;

LRESULT RecordDefault(UINT message, WPARAM wParam, LPARAM lParam) {
  g_default_seen.push_back({message, wParam, lParam});
  return 77;
}

std::vector<MSG> TakeAll() {
  std::vector<MSG> messages;
  MSG msg;
  while (PeekMessage(&msg)) messages.push_back(msg);
  return messages;
}

class WindowProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeAll();
    g_default_seen.clear();
    previous_ = SetDefaultWindowProc(RecordDefault);
  }
  void TearDown() override { SetDefaultWindowProc(previous_); }
  ::WindowProcedure previous_ = nullptr;
};

TEST_F(WindowProcedure, EscapePostsQuitWithCodeZero) {
  EXPECT_EQ(WndProc(WM_KEYDOWN, VK_ESCAPE, 0), 0);
  const std::vector<MSG> messages = TakeAll();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WM_QUIT);
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_TRUE(g_default_seen.empty());
}

TEST_F(WindowProcedure, OtherKeysDoNothingAndNeverReachTheDefault) {
  for (WPARAM key : {WPARAM(' '), WPARAM(13), WPARAM('A'), WPARAM('Q'), WPARAM(115), WPARAM(0xFF)}) {
    EXPECT_EQ(WndProc(WM_KEYDOWN, key, 0), 0) << key;
  }
  EXPECT_TRUE(TakeAll().empty());
  EXPECT_TRUE(g_default_seen.empty());
}

TEST_F(WindowProcedure, CloseRequestPostsQuitWithCodeZero) {
  EXPECT_EQ(WndProc(WM_CLOSE, 0, 0), 0);
  const std::vector<MSG> messages = TakeAll();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WM_QUIT);
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_TRUE(g_default_seen.empty());
}

TEST_F(WindowProcedure, CreateAndDestroyPostNothing) {
  EXPECT_EQ(WndProc(WM_CREATE, 0, 0), 0);
  EXPECT_EQ(WndProc(WM_DESTROY, 0, 0), 0);
  EXPECT_TRUE(TakeAll().empty());
  EXPECT_TRUE(g_default_seen.empty());
}

TEST_F(WindowProcedure, UnhandledMessagesGoToTheDefaultWithTheirResult) {
  EXPECT_EQ(WndProc(WM_NULL, 5, 6), 77);
  EXPECT_EQ(WndProc(0x0200, 7, 8), 77);
  ASSERT_EQ(g_default_seen.size(), 2u);
  EXPECT_EQ(g_default_seen[0].message, WM_NULL);
  EXPECT_EQ(g_default_seen[0].wParam, 5u);
  EXPECT_EQ(g_default_seen[0].lParam, 6);
  EXPECT_EQ(g_default_seen[1].message, 0x0200u);
  EXPECT_TRUE(TakeAll().empty());

  SetDefaultWindowProc(nullptr);
  EXPECT_EQ(WndProc(WM_NULL, 5, 6), 0);
}

TEST_F(WindowProcedure, PlatformEventsBecomeMessages) {
  platform::Event key;
  key.kind = platform::EventKind::KeyDown;
  key.key = platform::kKeyEscape;
  platform::Event size;
  size.kind = platform::EventKind::Size;
  size.width = 800;
  size.height = 600;
  platform::Event close;
  close.kind = platform::EventKind::Close;
  platform::Event other;
  platform::PushEvent(key);
  platform::PostQuit(1);
  platform::PushEvent(size);
  platform::PushEvent(close);
  platform::PushEvent(other);

  const std::vector<MSG> messages = TakeAll();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0].message, WM_KEYDOWN);
  EXPECT_EQ(messages[0].wParam, VK_ESCAPE);
  EXPECT_EQ(messages[1].message, WM_SIZE);
  EXPECT_EQ(LowWord(messages[1].lParam), 800);
  EXPECT_EQ(HighWord(messages[1].lParam), 600);
  EXPECT_EQ(messages[1].lParam, 600 * 65536 + 800);
  EXPECT_EQ(messages[2].message, WM_CLOSE);
  EXPECT_EQ(messages[3].message, WM_NULL);
  EXPECT_EQ(messages[4].message, WM_QUIT);
  EXPECT_EQ(messages[4].wParam, 1u);
}

}  // namespace
