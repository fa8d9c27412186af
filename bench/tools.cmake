if(TARGET mkdict)
  quendic_add_bench(tools_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools_bench.cpp LIBS mkdict)
endif()
