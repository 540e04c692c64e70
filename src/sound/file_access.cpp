#include "sound/file_access.h"

#include <cstdlib>

#include "sound/allocation.h"

AUDIO_File_OpenFunction AUDIO_File_OpenCallback = nullptr;
AUDIO_File_CloseFunction AUDIO_File_CloseCallback = nullptr;
AUDIO_File_ReadFunction AUDIO_File_ReadCallback = nullptr;
AUDIO_File_SeekFunction AUDIO_File_SeekCallback = nullptr;
AUDIO_File_TellFunction AUDIO_File_TellCallback = nullptr;

void AUDIO_File_SetCallbacks(AUDIO_File_OpenFunction open, AUDIO_File_CloseFunction close,
                             AUDIO_File_ReadFunction read, AUDIO_File_SeekFunction seek,
                             AUDIO_File_TellFunction tell) {
  const bool complete = open && close && read && seek && tell;
  // A partial table is never kept: the forwarding functions may then assume all or nothing.
  AUDIO_File_OpenCallback = complete ? open : nullptr;
  AUDIO_File_CloseCallback = complete ? close : nullptr;
  AUDIO_File_ReadCallback = complete ? read : nullptr;
  AUDIO_File_SeekCallback = complete ? seek : nullptr;
  AUDIO_File_TellCallback = complete ? tell : nullptr;
}

std::int32_t AUDIO_File_CallbacksInstalled() {
  return AUDIO_File_OpenCallback && AUDIO_File_CloseCallback && AUDIO_File_ReadCallback &&
                 AUDIO_File_SeekCallback && AUDIO_File_TellCallback
             ? 1
             : 0;
}

AUDIO_FileHandle* AUDIO_File_Open(const void* name, std::uint8_t mode, std::int32_t length) {
  if (!AUDIO_File_CallbacksInstalled()) return nullptr;
  auto* handle = static_cast<AUDIO_FileHandle*>(AUDIO_Calloc(1, sizeof(AUDIO_FileHandle)));
  if (!handle) return nullptr;
  handle->open_mode = mode;
  handle->length_hint = length;
  handle->user_handle = AUDIO_File_OpenCallback(name);
  if (handle->user_handle == 0) {
    std::free(handle);
    return nullptr;
  }
  return handle;
}

void AUDIO_File_Close(AUDIO_FileHandle* handle) {
  if (!handle) return;
  // The table may have been cleared since the open; the handle is released either way.
  if (AUDIO_File_CloseCallback) AUDIO_File_CloseCallback(handle->user_handle);
  std::free(handle);
}

std::int32_t AUDIO_File_Read(void* buffer, std::int32_t size, AUDIO_FileHandle* handle) {
  if (!handle || !AUDIO_File_ReadCallback) return 0;
  return AUDIO_File_ReadCallback(buffer, size, handle->user_handle);
}

void AUDIO_File_Seek(AUDIO_FileHandle* handle, std::int32_t offset, std::int8_t mode) {
  if (!handle || !AUDIO_File_SeekCallback) return;
  AUDIO_File_SeekCallback(handle->user_handle, offset, mode);
}

std::int32_t AUDIO_File_Tell(AUDIO_FileHandle* handle) {
  if (!handle || !AUDIO_File_TellCallback) return 0;
  return AUDIO_File_TellCallback(handle->user_handle);
}
