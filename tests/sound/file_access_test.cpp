// The file-callback layer and the in-memory source of the embedded song.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "content.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

int g_calls = 0;
AUDIO_UserHandle CountingOpen(const void*) { ++g_calls; return 0; }
void CountingClose(AUDIO_UserHandle) { ++g_calls; }
std::int32_t CountingRead(void*, std::int32_t, AUDIO_UserHandle) { ++g_calls; return 7; }
std::int32_t CountingSeek(AUDIO_UserHandle, std::int32_t, std::int8_t) { ++g_calls; return 0; }
std::int32_t CountingTell(AUDIO_UserHandle) { ++g_calls; return 9; }

class FileLayer : public ::testing::Test {
 protected:
  void SetUp() override { AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell); }
  void TearDown() override { AUDIO_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr); }
};

TEST_F(FileLayer, AnIncompleteSetClearsTheWholeTable) {
  ASSERT_EQ(AUDIO_File_CallbacksInstalled(), 1);
  AUDIO_File_SetCallbacks(memopen, memclose, memread, nullptr, memtell);
  EXPECT_EQ(AUDIO_File_OpenCallback, nullptr);
  EXPECT_EQ(AUDIO_File_CloseCallback, nullptr);
  EXPECT_EQ(AUDIO_File_ReadCallback, nullptr);
  EXPECT_EQ(AUDIO_File_SeekCallback, nullptr);
  EXPECT_EQ(AUDIO_File_TellCallback, nullptr);
  EXPECT_EQ(AUDIO_File_CallbacksInstalled(), 0);
  // Without callbacks nothing can be opened, and the output refuses to start even with a device.
  EXPECT_EQ(AUDIO_File_Open(muzik, 0, 0), nullptr);
  EXPECT_EQ(AUDIO_Init(44100), 0);
  EXPECT_EQ(AUDIO_OutputOpen(), 0);
}

TEST_F(FileLayer, NullHandlesCallNothing) {
  AUDIO_File_SetCallbacks(CountingOpen, CountingClose, CountingRead, CountingSeek, CountingTell);
  g_calls = 0;
  char buffer[4];
  EXPECT_EQ(AUDIO_File_Read(buffer, 4, nullptr), 0);
  EXPECT_EQ(AUDIO_File_Tell(nullptr), 0);
  AUDIO_File_Seek(nullptr, 3, 0);
  AUDIO_File_Close(nullptr);
  EXPECT_EQ(g_calls, 0);
  // An open callback answering 0 makes the open fail.
  EXPECT_EQ(AUDIO_File_Open("x", 0, 0), nullptr);
  EXPECT_EQ(g_calls, 1);
}

TEST_F(FileLayer, OpenKeepsModeAndLengthAndForwardsToTheSource) {
  AUDIO_FileHandle* file = AUDIO_File_Open(muzik, 3, 1234);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->open_mode, 3);
  EXPECT_EQ(file->length_hint, 1234);
  EXPECT_EQ(AUDIO_File_Tell(file), 0);
  char signature[18] = {};
  EXPECT_EQ(AUDIO_File_Read(signature, 17, file), 17);
  EXPECT_STREQ(signature, "Extended Module: ");
  AUDIO_File_Seek(file, -16, 2);
  EXPECT_EQ(AUDIO_File_Tell(file), std::int32_t(muzik_length) - 16);
  AUDIO_File_Close(file);
}

TEST(MemorySource, ReadsAreBoundedByTheModuleLength) {
  const AUDIO_UserHandle handle = memopen(nullptr);
  ASSERT_NE(handle, 0u);
  const std::int32_t length = std::int32_t(muzik_length);
  EXPECT_EQ(memtell(handle), 0);

  std::vector<unsigned char> all(muzik_length + 64, 0xAA);
  EXPECT_EQ(memread(all.data(), length + 50, handle), length);
  EXPECT_EQ(std::memcmp(all.data(), muzik, muzik_length), 0);
  EXPECT_EQ(all[muzik_length], 0xAA) << "nothing past the module's own length is delivered";
  EXPECT_EQ(memtell(handle), length);

  memseek(handle, length - 4, 0);
  unsigned char ten[10];
  EXPECT_EQ(memread(ten, 10, handle), 4);
  EXPECT_EQ(memtell(handle), length);
  EXPECT_EQ(memread(ten, 10, handle), 0);
  EXPECT_EQ(memtell(handle), length);
  EXPECT_EQ(memread(ten, -5, handle), 0);
  EXPECT_EQ(memread(ten, 10, 0), 0);
  memclose(handle);
}

TEST(MemorySource, SeeksStayInsideTheCopy) {
  const AUDIO_UserHandle handle = memopen(nullptr);
  ASSERT_NE(handle, 0u);
  const std::int32_t length = std::int32_t(muzik_length);
  memseek(handle, 0, 2);
  EXPECT_EQ(memtell(handle), length);
  memseek(handle, -16, 2);
  EXPECT_EQ(memtell(handle), length - 16);
  memseek(handle, 5, 7);
  EXPECT_EQ(memtell(handle), length - 16) << "an unknown mode changes nothing";
  memseek(handle, 6, 1);
  EXPECT_EQ(memtell(handle), length - 10);
  memseek(handle, length + 100, 0);
  EXPECT_EQ(memtell(handle), length);
  memseek(handle, 0x7FFFFFFF, 1);
  EXPECT_EQ(memtell(handle), length) << "a relative seek cannot wrap past the end";
  memseek(handle, -5, 0);
  EXPECT_EQ(memtell(handle), 0);
  memseek(handle, 10, 0);
  memseek(handle, -30, 1);
  EXPECT_EQ(memtell(handle), 0);
  memseek(handle, -length - 1, 2);
  EXPECT_EQ(memtell(handle), 0);
  unsigned char first[4];
  EXPECT_EQ(memread(first, 4, handle), 4);
  EXPECT_EQ(std::memcmp(first, muzik, 4), 0);
  memclose(handle);
}

TEST(MemorySource, EachOpenHasItsOwnCopyAndPosition) {
  const AUDIO_UserHandle a = memopen(nullptr);
  const AUDIO_UserHandle b = memopen(nullptr);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  unsigned char byte;
  memread(&byte, 1, a);
  memread(&byte, 1, a);
  EXPECT_EQ(memtell(a), 2);
  EXPECT_EQ(memtell(b), 0);
  // Writing into one copy leaves the embedded bytes and the other copy alone.
  reinterpret_cast<memfile*>(a)->data[0] = 'Z';
  memseek(b, 0, 0);
  memread(&byte, 1, b);
  EXPECT_EQ(byte, 'E');
  EXPECT_EQ(muzik[0], 'E');
  memclose(a);
  memclose(b);
  memclose(0);
  EXPECT_EQ(memtell(0), 0);
}

}  // namespace
