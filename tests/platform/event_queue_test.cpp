// The event queue without a window system: what is pushed and posted, and in which order it
// comes out.
#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"

namespace {

using platform::Event;
using platform::EventKind;

std::vector<Event> DrainAll() {
  std::vector<Event> events;
  Event event;
  while (platform::PollEvent(&event)) events.push_back(event);
  return events;
}

Event Key(int code) {
  Event event;
  event.kind = EventKind::KeyDown;
  event.key = code;
  return event;
}

Event Size(int width, int height) {
  Event event;
  event.kind = EventKind::Size;
  event.width = width;
  event.height = height;
  return event;
}

class EventQueue : public ::testing::Test {
 protected:
  void SetUp() override { DrainAll(); }
};

TEST_F(EventQueue, QuitPostedBehindOtherEventsComesLastAndOnce) {
  platform::PushEvent(Key(65));
  platform::PostQuit(3);
  platform::PushEvent(Size(640, 480));
  platform::PushEvent(Key(platform::kKeyEscape));

  const std::vector<Event> events = DrainAll();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, EventKind::KeyDown);
  EXPECT_EQ(events[0].key, 65);
  EXPECT_EQ(events[1].kind, EventKind::Size);
  EXPECT_EQ(events[1].width, 640);
  EXPECT_EQ(events[1].height, 480);
  EXPECT_EQ(events[2].kind, EventKind::KeyDown);
  EXPECT_EQ(events[2].key, 27);
  EXPECT_EQ(events[3].kind, EventKind::Quit);
  EXPECT_EQ(events[3].exit_code, 3);

  Event event;
  EXPECT_FALSE(platform::PollEvent(&event));
}

TEST_F(EventQueue, QuitPostedTwiceComesOnceWithTheLastCode) {
  platform::PostQuit(1);
  platform::PostQuit(0);
  const std::vector<Event> events = DrainAll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, EventKind::Quit);
  EXPECT_EQ(events[0].exit_code, 0);
}

TEST_F(EventQueue, EventsPushedAfterTheQuitStillComeFirst) {
  platform::PostQuit(1);
  Event event;
  platform::PushEvent(Size(800, 0));
  ASSERT_TRUE(platform::PollEvent(&event));
  EXPECT_EQ(event.kind, EventKind::Size);
  EXPECT_EQ(event.height, 0);
  platform::PushEvent(Key(32));
  ASSERT_TRUE(platform::PollEvent(&event));
  EXPECT_EQ(event.kind, EventKind::KeyDown);
  ASSERT_TRUE(platform::PollEvent(&event));
  EXPECT_EQ(event.kind, EventKind::Quit);
  EXPECT_EQ(event.exit_code, 1);
}

TEST_F(EventQueue, EmptyQueueAndNullTargetTakeNothing) {
  Event event;
  EXPECT_FALSE(platform::PollEvent(&event));
  platform::PushEvent(Key(13));
  EXPECT_FALSE(platform::PollEvent(nullptr));
  ASSERT_TRUE(platform::PollEvent(&event));
  EXPECT_EQ(event.key, 13);
  EXPECT_FALSE(platform::PollEvent(&event));
}

}  // namespace
