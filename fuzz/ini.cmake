# Random bytes read as the settings file, then settings written into it and
# read back. Every input loads the whole catalogue of properties: the CTest
# run takes fewer of them.
tn_fuzzer(ini_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/ini_fuzz.cpp CORPUS foundation/ini_fuzz
          MIN_SEEDS 3 RUNS 1000 DEPS foundation)
