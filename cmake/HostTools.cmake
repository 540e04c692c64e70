# The generators of a cross build (bin2cpp, xmsong, artgen) are programs of the build machine,
# taken from a native build of the same tree: configure and build it first (targets bin2cpp,
# xmsong, artgen, and xmrender for the tests), then point the cross build at it with
# -DHOST_TOOLS_DIR=<its build folder>.
set(HOST_TOOLS_DIR "" CACHE PATH "Native build of this tree whose generators a cross build runs")
if(NOT EXISTS "${HOST_TOOLS_DIR}/host-tools.cmake")
  message(FATAL_ERROR "A cross build needs the generators of a native build: set HOST_TOOLS_DIR "
    "to a configured native build folder (scripts/build-windows does all of this)")
endif()
include(${HOST_TOOLS_DIR}/host-tools.cmake)
include(${HOST_TOOLS_DIR}/host-xmrender.cmake)
foreach(tool IN ITEMS bin2cpp xmsong artgen host_xmrender)
  # Seen by the content rules in assets/ and by the tests too, not only in this folder.
  set_target_properties(${tool} PROPERTIES IMPORTED_GLOBAL TRUE)
endforeach()

# artgen draws with the same font files the native build found.
load_cache(${HOST_TOOLS_DIR} READ_WITH_PREFIX HOST_ ARTGEN_LOGO_FONT ARTGEN_GLYPH_FONT)
set(ARTGEN_LOGO_FONT ${HOST_ARTGEN_LOGO_FONT} CACHE FILEPATH "Font file of the logo")
set(ARTGEN_GLYPH_FONT ${HOST_ARTGEN_GLYPH_FONT} CACHE FILEPATH "Font file of the glyph sheet")
