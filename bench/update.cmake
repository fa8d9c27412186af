# The software update on loopback: program start to the update button, the
# update check with 1,000 records, and fu replacing 10 files of 10 MiB, each
# next to an anchor.
if(TARGET app AND TARGET standin)
  quendic_add_bench(update_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/update_bench.cpp
    LIBS app standin Qt6::Test)
  target_compile_definitions(update_bench PRIVATE FU_PATH="$<TARGET_FILE:fu>")
  add_dependencies(update_bench fu)
endif()
