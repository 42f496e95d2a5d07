# The record a stopped set of files leaves beside its anchor, read back by
# the next job: any bytes read, and every record read writes back the same.
tn_fuzzer(set_record_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/set_record_fuzz.cpp CORPUS platform/set_record_fuzz
          GLOBS "platform/*.rec"
          MIN_SEEDS 5 DEPS platform)
