# The library-source reader's scanner and parser, generated from
# import/sdt2sc.l and import/sdt2sc.y into the build directory.
set(sdt2sc_gen ${CMAKE_CURRENT_BINARY_DIR}/import)
file(MAKE_DIRECTORY ${sdt2sc_gen})
BISON_TARGET(sdt2sc_parser ${CMAKE_CURRENT_SOURCE_DIR}/import/sdt2sc.y
             ${sdt2sc_gen}/sdt2sc_parser.cpp DEFINES_FILE ${sdt2sc_gen}/sdt2sc_parser.h
             COMPILE_FLAGS "-Wall -Werror")
FLEX_TARGET(sdt2sc_scanner ${CMAKE_CURRENT_SOURCE_DIR}/import/sdt2sc.l
            ${sdt2sc_gen}/sdt2sc_scanner.cpp DEFINES_FILE ${sdt2sc_gen}/sdt2sc_scanner.h)
ADD_FLEX_BISON_DEPENDENCY(sdt2sc_scanner sdt2sc_parser)
target_sources(import PRIVATE ${BISON_sdt2sc_parser_OUTPUTS} ${FLEX_sdt2sc_scanner_OUTPUTS})
target_include_directories(import PRIVATE ${sdt2sc_gen})
