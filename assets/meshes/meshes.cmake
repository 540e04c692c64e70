# The two meshes, built by artgen at build time from the shape descriptions in
# tools/artgen (box.cpp, room.cpp); embedded as float arrays.
set(TARVELON_MESH_DIR ${CMAKE_BINARY_DIR}/generated/meshes)

function(tarvelon_mesh symbol kind)
  set(output ${TARVELON_MESH_DIR}/${symbol}.f32)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVELON_MESH_DIR}
    COMMAND artgen ${kind} ${output}
    DEPENDS artgen
    COMMENT "Building ${symbol}"
    VERBATIM)
  tarvelon_embed(TARVELON_CONTENT_SOURCES ${symbol} ${output} FLOAT)
  set(TARVELON_CONTENT_SOURCES ${TARVELON_CONTENT_SOURCES} PARENT_SCOPE)
endfunction()

tarvelon_mesh(kutu box)
tarvelon_mesh(odamodel room)
