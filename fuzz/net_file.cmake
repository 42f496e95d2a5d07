# Random bytes read as a per-sheet net file: library, objects, ports, nets.
tn_fuzzer(net_file_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/net_file_fuzz.cpp CORPUS connectivity/net_file_fuzz
          GLOBS "connectivity/*.net"
          MIN_SEEDS 6 DEPS connectivity)
