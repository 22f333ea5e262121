# The warnings every target of ours compiles with (VANTOR_WARNINGS), and the stricter ones that wait
# until the tree is clean of them (VANTOR_STRICT_WARNINGS): when a flag finds nothing any more, it
# moves from the strict lists into VANTOR_WARNINGS.
option(VANTOR_WERROR "Treat warnings as errors" ON)
option(VANTOR_STRICT_WARNINGS "Add -Wshadow and -Wnon-virtual-dtor everywhere, -Wconversion in the core" OFF)

set(VANTOR_WARNINGS -Wall -Wextra)
if(VANTOR_WERROR)
  list(APPEND VANTOR_WARNINGS -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports false -Wrestrict hits inside libstdc++'s string concatenation at -O3.
  list(APPEND VANTOR_WARNINGS -Wno-restrict)
endif()
if(VANTOR_STRICT_WARNINGS)
  list(APPEND VANTOR_WARNINGS -Wshadow -Wnon-virtual-dtor)
endif()

# The layers of src/ whose arithmetic is the protocol's and the screen's: there an implicit narrowing
# is a fault (a length or a coordinate cut short), so -Wconversion holds them to explicit casts.
set(VANTOR_CONVERSION_LAYERS platform settings model interpreter session devices look forms headless trace)

# vantor_layer_warnings(<variable> <folder under src>): the warnings of one layer's sources.
function(vantor_layer_warnings variable folder)
  set(warnings ${VANTOR_WARNINGS})
  if(VANTOR_STRICT_WARNINGS AND folder IN_LIST VANTOR_CONVERSION_LAYERS)
    list(APPEND warnings -Wconversion)
  endif()
  set(${variable} ${warnings} PARENT_SCOPE)
endfunction()
