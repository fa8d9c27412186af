# The program window measured offscreen: keystroke to list shown, program
# start with the index loaded, and rendering the largest entry.
if(TARGET app)
  quendic_add_bench(app_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app_bench.cpp LIBS app Qt6::Test)
  target_include_directories(app_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(app_bench PRIVATE QUENDIC_BIN_DIR="${QUENDIC_BIN_DIR}")
endif()
