# The back-annotation change-file reader, fed arbitrary text against a sheet.
tn_fuzzer(backannotate_fuzz backannotate_fuzz.cpp CORPUS connectivity/backannotate_fuzz
          MIN_SEEDS 3 DEPS connectivity)
