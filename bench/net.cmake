# The parameter block: fields and check, and the whole block with the
# installation values read from the registry store.
if(TARGET net)
  quendic_add_bench(net_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_bench.cpp LIBS net)
endif()
