# Layout of a rich text document: fixed-width metrics, and Qt metrics when the
# Qt layer is built (offscreen platform, set by the benchmark itself).
if(TARGET display_qt)
  quendic_add_bench(display_bench SOURCES display_bench.cpp LIBS display_qt)
  target_compile_definitions(display_bench PRIVATE QUENDIC_BENCH_QT=1)
elseif(TARGET display)
  quendic_add_bench(display_bench SOURCES display_bench.cpp LIBS display)
endif()
