# Random bytes read as an ERC report, for the finding of a mark.
tn_fuzzer(erc_details_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/erc_details_fuzz.cpp
          CORPUS connectivity/erc_details_fuzz GLOBS "connectivity/*.erc"
          MIN_SEEDS 4 DEPS connectivity)
