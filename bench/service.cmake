# The chat history: opening, appending to and laying out a long history.
if(TARGET service)
  quendic_add_bench(service_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/service_bench.cpp LIBS service)
endif()
