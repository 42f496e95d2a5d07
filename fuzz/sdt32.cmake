# The 32-bit foreign schematic reader and conversion, seeded with the real sheets.
tn_fuzzer(sdt32_fuzz sdt32_fuzz.cpp CORPUS import/sdt32_fuzz
          SEEDS ${CMAKE_SOURCE_DIR}/../shared/realdata/orcad-sdt32
          MIN_SEEDS 2 DEPS import)
