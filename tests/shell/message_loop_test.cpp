// The message loop on a real window and GL context: what ends it, and when frames are drawn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/platform.h"
#include "shell/gl_state.h"
#include "shell/main_loop.h"
#include "shell/messages.h"
#include "shell/window_proc.h"
#include "support/gl_context.h"

namespace {

using Vec4 = std::array<GLfloat, 4>;

Vec4 ClearColour() {
  Vec4 v{};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, v.data());
  return v;
}

std::array<GLint, 4> Viewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

void Push(platform::EventKind kind, int key = 0, int width = 0, int height = 0) {
  platform::Event event;
  event.kind = kind;
  event.key = key;
  event.width = width;
  event.height = height;
  platform::PushEvent(event);
}

const Vec4 kBlack{0, 0, 0, 0};
const Vec4 kRed{1, 0, 0, 1};

// Every frame clears to red, and the initial state clears to black: the clear colour tells
// whether a frame was drawn since the set-up.
class MessageLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    EnableOpenGL(800, 600, 16);
    SetLight();
    SetMaterial();
    platform::Event event;
    while (platform::PollEvent(&event)) {
    }
    ASSERT_EQ(ClearColour(), kBlack);
  }
};

TEST_F(MessageLoop, AFrameIsDrawnOnlyWhenNoMessageIsWaiting) {
  Push(platform::EventKind::Other);
  int code = -1;
  EXPECT_TRUE(MessageLoopTurn(&code));
  EXPECT_EQ(ClearColour(), kBlack);

  EXPECT_TRUE(MessageLoopTurn(&code));
  EXPECT_EQ(ClearColour(), kRed);
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  EXPECT_EQ(code, -1);
}

TEST_F(MessageLoop, EscapeEndsItWithCodeZeroAndNoFrame) {
  Push(platform::EventKind::KeyDown, ' ');
  Push(platform::EventKind::KeyDown, 13);
  Push(platform::EventKind::KeyDown, 'A');
  Push(platform::EventKind::KeyDown, platform::kKeyEscape);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(ClearColour(), kBlack);
  EXPECT_TRUE(platform::WindowExists());
}

TEST_F(MessageLoop, CloseRequestEndsItWithCodeZeroAndTheWindowStays) {
  Push(platform::EventKind::Close);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_TRUE(platform::WindowExists());
  EXPECT_EQ(ClearColour(), kBlack);
}

TEST_F(MessageLoop, QuitWaitsForTheMessagesQueuedBehindIt) {
  Push(platform::EventKind::KeyDown, platform::kKeyEscape);
  Push(platform::EventKind::Size, 0, 320, 200);
  EXPECT_EQ(RunMessageLoop(), 0);
  // The size message was handled after the quit request, and no frame came after it.
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 320, 200}));
  EXPECT_EQ(ClearColour(), kBlack);
}

TEST_F(MessageLoop, QuitPostedBeforeTheLoopEndsItAtTheFirstTurn) {
  PostQuitMessage(1);
  int code = -1;
  EXPECT_FALSE(MessageLoopTurn(&code));
  EXPECT_EQ(code, 1);
  EXPECT_EQ(ClearColour(), kBlack);
}

TEST_F(MessageLoop, DestroyAloneDoesNotEndIt) {
  EXPECT_EQ(WndProc(WM_DESTROY, 0, 0), 0);
  int code = -1;
  EXPECT_TRUE(MessageLoopTurn(&code));
  EXPECT_EQ(ClearColour(), kRed);
  EXPECT_EQ(code, -1);
}

TEST_F(MessageLoop, FrameLeavesFullViewportAndIdentityModelView) {
  Sahne_tekrarciz(100, 100);
  glTranslatef(1, 2, 3);
  DrawFrame();
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], 0.0f);
  EXPECT_EQ(m[14], 0.0f);
  EXPECT_EQ(ClearColour(), kRed);
}

}  // namespace
