# Random bytes read as a bill of materials' merge file, the report written.
tn_fuzzer(bom_merge_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/bom_merge_fuzz.cpp
          CORPUS connectivity/bom_merge_fuzz MIN_SEEDS 3 DEPS connectivity)
