quendic_add_bench(storage_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/storage_bench.cpp LIBS storage)
