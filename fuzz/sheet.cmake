# Random bytes read as a sheet record, a title-block file or a sheet with reference records.
tn_fuzzer(sheet_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/sheet_fuzz.cpp CORPUS model/documents/sheet_fuzz
          MIN_SEEDS 4 DEPS model)
