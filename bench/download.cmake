# Downloads against quendic-service's handlers on loopback, next to curl.
if(TARGET standin)
  quendic_add_bench(download_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/download_bench.cpp
    LIBS download standin)
  target_compile_definitions(download_bench PRIVATE
    QUENDIC_CLI_PATH="$<TARGET_FILE:quendic-cli>"
    QUENDIC_SAMPLE_PROGRAM="${QUENDIC_BIN_DIR}"
    QUENDIC_SAMPLE_SERVICE="${CMAKE_BINARY_DIR}/service-data")
  add_dependencies(download_bench quendic-cli)
endif()
