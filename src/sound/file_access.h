// The file-callback layer: the module loader reads its module only through these five
// functions, which forward to callbacks the program installs once at start-up.
#pragma once

#include <cstdint>

// What an open callback hands out to identify its file; 0 means the open failed. Wide enough
// to carry a record's address.
typedef std::uintptr_t AUDIO_UserHandle;

typedef AUDIO_UserHandle (*AUDIO_File_OpenFunction)(const void* name);
typedef void (*AUDIO_File_CloseFunction)(AUDIO_UserHandle handle);
typedef std::int32_t (*AUDIO_File_ReadFunction)(void* buffer, std::int32_t size, AUDIO_UserHandle handle);
// mode: 0 from the start, 1 from the current position, 2 from the end. Nobody uses the result.
typedef std::int32_t (*AUDIO_File_SeekFunction)(AUDIO_UserHandle handle, std::int32_t offset, std::int8_t mode);
typedef std::int32_t (*AUDIO_File_TellFunction)(AUDIO_UserHandle handle);

// The installed callbacks: all five set, or all five null.
extern AUDIO_File_OpenFunction AUDIO_File_OpenCallback;
extern AUDIO_File_CloseFunction AUDIO_File_CloseCallback;
extern AUDIO_File_ReadFunction AUDIO_File_ReadCallback;
extern AUDIO_File_SeekFunction AUDIO_File_SeekCallback;
extern AUDIO_File_TellFunction AUDIO_File_TellCallback;

// One open file, owned by the caller from AUDIO_File_Open to AUDIO_File_Close.
struct AUDIO_FileHandle {
  std::uint8_t open_mode;        // kept as given, not consulted
  AUDIO_UserHandle user_handle;  // what the open callback returned
  std::int32_t length_hint;      // kept as given, not consulted
};

// Stores all five callbacks, or clears the whole table when any one of them is null.
void AUDIO_File_SetCallbacks(AUDIO_File_OpenFunction open, AUDIO_File_CloseFunction close,
                             AUDIO_File_ReadFunction read, AUDIO_File_SeekFunction seek,
                             AUDIO_File_TellFunction tell);
// 1 when a complete table is installed.
std::int32_t AUDIO_File_CallbacksInstalled();

// Null when no callbacks are installed or the open callback returns 0.
AUDIO_FileHandle* AUDIO_File_Open(const void* name, std::uint8_t mode, std::int32_t length);
void AUDIO_File_Close(AUDIO_FileHandle* handle);
// Bytes delivered; 0 for a null handle.
std::int32_t AUDIO_File_Read(void* buffer, std::int32_t size, AUDIO_FileHandle* handle);
void AUDIO_File_Seek(AUDIO_FileHandle* handle, std::int32_t offset, std::int8_t mode);
// The current position; 0 for a null handle.
std::int32_t AUDIO_File_Tell(AUDIO_FileHandle* handle);
