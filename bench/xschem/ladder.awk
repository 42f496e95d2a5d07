# n series resistors of the ladder as an xschem schematic on standard output.
# With -v wired=1 it is drawn as users draw: labels only where rows meet,
# each shunt wired to its node and to its row's ground rail (one gnd symbol
# at the rail's start); else every series node carries a label as well.
BEGIN {
  print "G {}"; print "V {}"; print "S {}"; print "E {}"
  pitch = 100; rowp = 400; part = 0; lab = 0
  for (i = 0; i < n; i++) {
    row = int(i / 100); col = i % 100; x = col * pitch; y = row * rowp
    if (col == 0) rail = -1
    printf "C {devices/res} %d %d 0 0 {name=R%d value=1k m=1}\n", x, y, ++part
    if (i == 0) printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=VIN}\n", x, y - 30, ++lab
    node = "N" i
    shunt = i % 10 == 0 && col < 99
    tap = wired && shunt && i + 1 < n
    if (col < 99 && i + 1 < n) {
      if (tap) {
        printf "N %d %d %d %d {}\n", x, y + 30, x + 25, y + 30
        printf "N %d %d %d %d {}\n", x + 25, y + 30, x + 50, y + 30
      } else {
        printf "N %d %d %d %d {}\n", x, y + 30, x + 50, y + 30
      }
      printf "N %d %d %d %d {}\n", x + 50, y + 30, x + 50, y - 40
      printf "N %d %d %d %d {}\n", x + 50, y - 40, x + 100, y - 40
      printf "N %d %d %d %d {}\n", x + 100, y - 40, x + 100, y - 30
      if (!wired) printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", x + 100, y - 40, ++lab, node
    } else if (i + 1 < n) {
      printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", x, y + 30, ++lab, node
      printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", 0, (row + 1) * rowp - 30, ++lab, node
    } else {
      printf "C {devices/gnd} %d %d 0 0 {name=l%d lab=GND}\n", x, y + 30, ++lab
    }
    if (shunt) {
      sx = x + 25; sy = y + 150
      printf "C {devices/res} %d %d 0 0 {name=R%d value=1k m=1}\n", sx, sy, ++part
      if (tap) printf "N %d %d %d %d {}\n", sx, y + 30, sx, sy - 30
      else printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", sx, sy - 30, ++lab, node
      if (!wired || rail < 0) printf "C {devices/gnd} %d %d 0 0 {name=l%d lab=GND}\n", sx, sy + 30, ++lab
      else printf "N %d %d %d %d {}\n", rail, sy + 30, sx, sy + 30
      rail = sx
    }
  }
}
