# Random bytes read as a title-fields file; what reads is saved and read back.
tn_fuzzer(title_fields_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/title_fields_fuzz.cpp
          CORPUS shell/title_fields_fuzz MIN_SEEDS 3 DEPS model)
# The reader and writer are the shell's, in a file that needs no window.
target_sources(title_fields_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/src/shell/file_logic.cpp)
