# Compiler settings shared by every target of the project.
function(sorvel_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF POSITION_INDEPENDENT_CODE ON)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wno-sign-conversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Wcast-align)
  endif()
  # Parameters keep the names the library's interface gives them, some of
  # which are also globals' names: only locals shadowing locals are flagged.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  endif()
endfunction()
