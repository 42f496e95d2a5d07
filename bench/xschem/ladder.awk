# n series resistors of the ladder as an xschem schematic on standard output.
BEGIN {
  print "G {}"; print "V {}"; print "S {}"; print "E {}"
  pitch = 100; rowp = 400; part = 0; lab = 0
  for (i = 0; i < n; i++) {
    row = int(i / 100); col = i % 100; x = col * pitch; y = row * rowp
    printf "C {devices/res} %d %d 0 0 {name=R%d value=1k m=1}\n", x, y, ++part
    if (i == 0) printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=VIN}\n", x, y - 30, ++lab
    node = "N" i
    if (col < 99 && i + 1 < n) {
      printf "N %d %d %d %d {}\n", x, y + 30, x + 50, y + 30
      printf "N %d %d %d %d {}\n", x + 50, y + 30, x + 50, y - 40
      printf "N %d %d %d %d {}\n", x + 50, y - 40, x + 100, y - 40
      printf "N %d %d %d %d {}\n", x + 100, y - 40, x + 100, y - 30
      printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", x + 100, y - 40, ++lab, node
    } else if (i + 1 < n) {
      printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", x, y + 30, ++lab, node
      printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", 0, (row + 1) * rowp - 30, ++lab, node
    } else {
      printf "C {devices/gnd} %d %d 0 0 {name=l%d lab=GND}\n", x, y + 30, ++lab
    }
    if (i % 10 == 0 && col < 99) {
      sx = x + 25; sy = y + 150
      printf "C {devices/res} %d %d 0 0 {name=R%d value=1k m=1}\n", sx, sy, ++part
      printf "C {devices/lab_pin} %d %d 0 0 {name=l%d lab=%s}\n", sx, sy - 30, ++lab, node
      printf "C {devices/gnd} %d %d 0 0 {name=l%d lab=GND}\n", sx, sy + 30, ++lab
    }
  }
}
