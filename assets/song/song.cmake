# The song: xmsong turns the readable source beside this file into the XM that becomes `muzik`.
set(TARVELON_SONG_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/song/song.txt
  ${CMAKE_CURRENT_SOURCE_DIR}/song/instruments.txt)
set(TARVELON_SONG_XM ${CMAKE_BINARY_DIR}/generated/tarvelon.xm)
add_custom_command(OUTPUT ${TARVELON_SONG_XM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND xmsong ${TARVELON_SONG_SOURCES} ${TARVELON_SONG_XM}
  DEPENDS xmsong ${TARVELON_SONG_SOURCES}
  COMMENT "Composing the song"
  VERBATIM)
add_custom_target(song_xm DEPENDS ${TARVELON_SONG_XM})
# The tests read the generated file too.
set_property(GLOBAL PROPERTY TARVELON_SONG_XM ${TARVELON_SONG_XM})

# `song_wav` writes the song as a WAV to listen to: with our own player once xmrender is in
# the build, with openmpt123 until then.
if(TARGET xmrender)
  add_custom_target(song_wav
    COMMAND xmrender ${TARVELON_SONG_XM} ${CMAKE_BINARY_DIR}/song.wav
    DEPENDS ${TARVELON_SONG_XM}
    COMMENT "Rendering the song to song.wav with xmrender")
else()
  find_program(OPENMPT123_PROGRAM openmpt123)
  if(OPENMPT123_PROGRAM)
    add_custom_target(song_wav
      COMMAND ${OPENMPT123_PROGRAM} --batch --quiet --samplerate 44100 --no-float --force
              -o ${CMAKE_BINARY_DIR}/song.wav ${TARVELON_SONG_XM}
      DEPENDS ${TARVELON_SONG_XM}
      COMMENT "Rendering the song to song.wav with openmpt123"
      VERBATIM)
  endif()
endif()
