# Word index loading and the searches of the query box.
quendic_add_bench(core_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_bench.cpp LIBS core)
