# Random bytes read as a paste file of each kind, pasted into a document.
tn_fuzzer(paste_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/paste_fuzz.cpp CORPUS model/documents/paste_fuzz
          MIN_SEEDS 4 DEPS model)
