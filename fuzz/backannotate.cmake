# The back-annotation change-file reader, fed arbitrary text against a sheet.
tn_fuzzer(backannotate_fuzz backannotate_fuzz.cpp CORPUS connectivity/backannotate_fuzz DEPS connectivity)
