# Random bytes read as a library file, whole and as an index.
tn_fuzzer(library_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/library_fuzz.cpp CORPUS model/items/library_fuzz
          GLOBS "model/items/library_*.bin" "*.clb"
          MIN_SEEDS 5 DEPS model)
