# Random bytes read as a whole schema file.
tn_fuzzer(schema_file_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/schema_file_fuzz.cpp CORPUS model/documents/schema_file_fuzz
          GLOBS "model/*.sch"
          MIN_SEEDS 4 DEPS model)
