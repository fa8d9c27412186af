# Word index loading and the searches of the query box.
quendic_add_bench(core_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_bench.cpp LIBS core)
# The same data as a StarDict dictionary, for bench/sdcv/compare.sh.
add_executable(stardict_export ${CMAKE_CURRENT_SOURCE_DIR}/stardict_export.cpp)
target_link_libraries(stardict_export PRIVATE display core quendic_warnings)
set_target_properties(stardict_export PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
