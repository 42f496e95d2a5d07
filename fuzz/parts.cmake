# Random bytes read as a library part record, in full and as an index.
tn_fuzzer(parts_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/parts_fuzz.cpp CORPUS model/items/part_fuzz
          GLOBS "model/items/part.bin"
          MIN_SEEDS 3 DEPS model)
