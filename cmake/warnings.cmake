# The warnings every target of ours compiles with (VANTOR_WARNINGS), and -Wconversion in the layers whose
# arithmetic is the protocol's and the screen's (vantor_layer_warnings).
option(VANTOR_WERROR "Treat warnings as errors" ON)

set(VANTOR_WARNINGS -Wall -Wextra)
if(VANTOR_WERROR)
  list(APPEND VANTOR_WARNINGS -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports false -Wrestrict hits inside libstdc++'s string concatenation at -O3.
  list(APPEND VANTOR_WARNINGS -Wno-restrict)
endif()
# -Wshadow: a local that hides a member or an outer name is read where the other was meant;
# -Wnon-virtual-dtor: a class with virtual functions deleted through its base leaks its own members.
list(APPEND VANTOR_WARNINGS -Wshadow -Wnon-virtual-dtor)

# The layers of src/ whose arithmetic is the protocol's and the screen's: there an implicit narrowing
# is a fault (a length or a coordinate cut short), so -Wconversion holds them to explicit casts.
set(VANTOR_CONVERSION_LAYERS platform settings model interpreter session devices look forms headless trace)

# vantor_layer_warnings(<variable> <folder under src>): the warnings of one layer's sources.
function(vantor_layer_warnings variable folder)
  set(warnings ${VANTOR_WARNINGS})
  if(folder IN_LIST VANTOR_CONVERSION_LAYERS)
    # Clang's -Wconversion also warns of every signed index (-Wsign-conversion), which GCC's does not.
    list(APPEND warnings -Wconversion $<$<CXX_COMPILER_ID:Clang>:-Wno-sign-conversion>)
  endif()
  set(${variable} ${warnings} PARENT_SCOPE)
endfunction()
