# The source compiler with the builder of records, fed arbitrary text.
tn_fuzzer(compil_actions_fuzz compil_actions_fuzz.cpp CORPUS model/documents/compil_actions_fuzz
          GLOBS "*.asc" "*.slb"
          MIN_SEEDS 33 DEPS model)
