# `cmake --install` of the build into a scratch prefix: the three programs in
# PREFIX/bin (each answers --version), the README, the docs and the examples
# in PREFIX/share/doc/torvane. Run by ctest as `install_layout`.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE status
                OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed with ${status}")
endif()
foreach(program torvane torvane-inspect torvane-deck)
  if(NOT EXISTS "${PREFIX}/bin/${program}")
    message(FATAL_ERROR "the install put no ${program} in ${PREFIX}/bin")
  endif()
  execute_process(COMMAND "${PREFIX}/bin/${program}" --version RESULT_VARIABLE status OUTPUT_VARIABLE said)
  if(NOT status EQUAL 0 OR NOT said MATCHES "^${program} ")
    message(FATAL_ERROR "${PREFIX}/bin/${program} --version gave status ${status} and \"${said}\"")
  endif()
endforeach()
foreach(file README.md docs/deck.md docs/files.md docs/inspect.md docs/deck-tool.md docs/compressor_rotor_hub.svg
             examples/compressor_rotor.in examples/naca65410_rotor.par)
  if(NOT EXISTS "${PREFIX}/share/doc/torvane/${file}")
    message(FATAL_ERROR "the install put no ${file} in ${PREFIX}/share/doc/torvane")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
