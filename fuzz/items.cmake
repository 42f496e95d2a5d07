# Random bytes read as item records through the Item dispatchers.
tn_fuzzer(items_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/items_fuzz.cpp CORPUS model/items/fuzz DEPS items)
