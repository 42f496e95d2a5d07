#pragma once
// Shared by the fuzz targets that work on a small sheet: the source of a
// sheet holding the given placed parts, with an own library of two
// entries, RES (prefix R, one device, pins 1 and 2) and DUAL (prefix Q, two
// devices, pins P1 and P2).
#include <string>

inline std::string fuzz_sheet_source(const std::string& parts) {
    return "(SCHEMATIC\n  (SHEET\n" + parts + R"(  )
  (LIB '$ACTIVE$'
    (PFXS
    )
    (PARTS
      (LPART
        (PART
          (COMMON (TYPE STANDARD 1) (SIZE 1000 3000 ) (REFERENCE 'R' ) )
          (NORMAL (PINS (PIN '1' PAS TOP (POS 500 0 ) '1' ) (PIN '2' PAS TOP (POS 500 3000 ) '2' ) ) )
        )
        (ALIAS (NAME 'RES' ) )
      )
      (LPART
        (PART
          (COMMON (TYPE STANDARD 2) (SIZE 4000 4000 ) (REFERENCE 'Q' ) )
          (NORMAL (PINS (PIN 'P1' PAS LEFT (POS 0 1000 ) '1' '5' ) (PIN 'P2' PAS LEFT (POS 0 2000 ) '2' '6' ) ) )
        )
        (ALIAS (NAME 'DUAL' ) )
      )
    )
  )
)
)";
}
