# The ASCII source reader, fed arbitrary text.
tn_fuzzer(compil_fuzz compil_fuzz.cpp CORPUS model/documents/compil_fuzz
          GLOBS "*.asc" "*.slb"
          MIN_SEEDS 36 DEPS model)
