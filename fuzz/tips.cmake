# Random bytes read as the tips file, walked as the tip of the day walks it.
tn_fuzzer(tips_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/tips_fuzz.cpp CORPUS dialogs/tips_fuzz
          MIN_SEEDS 3 DEPS foundation)
# The reader is the dialog's, in a file that needs no window.
target_sources(tips_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/src/dialogs/forms/tips.cpp)
