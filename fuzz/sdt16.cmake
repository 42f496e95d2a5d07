# The 16-bit foreign schematic reader and conversion.
tn_fuzzer(sdt16_fuzz sdt16_fuzz.cpp CORPUS import/sdt16_fuzz
          MIN_SEEDS 1 DEPS import)
