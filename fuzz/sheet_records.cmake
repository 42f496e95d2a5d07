# Random bytes read as net-property labels, images (with their bitmaps), ERC
# marks, pseudo-pins and bare BMP files.
tn_fuzzer(sheet_records_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/sheet_records_fuzz.cpp CORPUS model/documents/sheet_records_fuzz
          GLOBS "*.bmp"
          MIN_SEEDS 10 DEPS model)
