# The foreign library source reader, fed arbitrary text.
tn_fuzzer(sdt2sc_fuzz sdt2sc_fuzz.cpp CORPUS import/sdt2sc_fuzz
          MIN_SEEDS 1 DEPS import)
