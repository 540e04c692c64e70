# tarvelon_embed(OUT_VAR SYMBOL INPUT [FLOAT] [PAD n] [LENGTH_SYMBOL name])
# Makes a C++ source that defines INPUT as the constant array SYMBOL, built by bin2cpp,
# and appends its path to OUT_VAR. INPUT may itself be the output of a generator rule.
function(tarvelon_embed out_var symbol input)
  cmake_parse_arguments(ARG "FLOAT" "PAD;LENGTH_SYMBOL" "" ${ARGN})
  set(source ${CMAKE_BINARY_DIR}/generated/${symbol}.cpp)
  set(args ${input} ${source} ${symbol})
  if(ARG_FLOAT)
    list(APPEND args --float)
  endif()
  if(ARG_PAD)
    list(APPEND args --pad ${ARG_PAD})
  endif()
  if(ARG_LENGTH_SYMBOL)
    list(APPEND args --length-symbol ${ARG_LENGTH_SYMBOL})
  endif()
  add_custom_command(OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND bin2cpp ${args}
    DEPENDS bin2cpp ${input}
    COMMENT "Embedding ${symbol}"
    VERBATIM)
  set(${out_var} ${${out_var}} ${source} PARENT_SCOPE)
endfunction()
