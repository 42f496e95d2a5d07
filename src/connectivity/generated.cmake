# The change-file reader of back-annotation: its scanner and parser are
# generated from connectivity/backannotate.l and backannotate.y into the
# build directory.
set(backannotate_gen ${CMAKE_CURRENT_BINARY_DIR}/connectivity)
file(MAKE_DIRECTORY ${backannotate_gen})
BISON_TARGET(backannotate_parser ${CMAKE_CURRENT_SOURCE_DIR}/connectivity/backannotate.y
             ${backannotate_gen}/backannotate_parser.cpp
             DEFINES_FILE ${backannotate_gen}/backannotate_parser.h)
FLEX_TARGET(backannotate_scanner ${CMAKE_CURRENT_SOURCE_DIR}/connectivity/backannotate.l
            ${backannotate_gen}/backannotate_scanner.cpp
            DEFINES_FILE ${backannotate_gen}/backannotate_scanner.h)
ADD_FLEX_BISON_DEPENDENCY(backannotate_scanner backannotate_parser)
target_sources(connectivity PRIVATE ${BISON_backannotate_parser_OUTPUTS}
                                    ${FLEX_backannotate_scanner_OUTPUTS})
target_include_directories(connectivity PRIVATE ${backannotate_gen})
