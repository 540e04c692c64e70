# The three pictures, drawn by artgen at build time from the generator sources in
# tools/artgen and the DejaVu faces of the build machine (found by tools/artgen).
set(TARVELON_IMAGE_DIR ${CMAKE_BINARY_DIR}/generated/images)

function(tarvelon_image symbol kind)
  set(output ${TARVELON_IMAGE_DIR}/${symbol}.rgb)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVELON_IMAGE_DIR}
    COMMAND artgen ${kind} ${output} ${ARGN}
    DEPENDS artgen
    COMMENT "Drawing ${symbol}"
    VERBATIM)
  tarvelon_embed(TARVELON_CONTENT_SOURCES ${symbol} ${output})
  set(TARVELON_CONTENT_SOURCES ${TARVELON_CONTENT_SOURCES} PARENT_SCOPE)
endfunction()

tarvelon_image(tarvelondoku logo --font ${ARTGEN_LOGO_FONT})
tarvelon_image(lavasdoku lava)
tarvelon_image(bitmapfont font --font ${ARTGEN_GLYPH_FONT})
