# Random bytes read as item records through the Item dispatchers.
tn_fuzzer(items_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/items_fuzz.cpp CORPUS model/items/fuzz
          GLOBS "model/items/arc.bin" "model/items/circle.bin" "model/items/fill.bin"
          "model/items/junction.bin" "model/items/line.bin" "model/items/poly.bin"
          "model/items/rect.bin" "model/items/text_forms.bin"
          MIN_SEEDS 19 DEPS items)
