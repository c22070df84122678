# Reads a plain PBM (P1) screenshot in which only pure black pixels are set
# and prints "left top side xaxis yaxis" of the largest square frame drawn in
# black, with the rows and columns of the black lines crossing it (the axes),
# or "none" when there is no such square.
function flush_row() {
    if (cur != "") { row[nrows++] = cur; cur = "" }
}
NR == 1 { next }                       # P1
!have_size { if ($0 ~ /^#/) next; width = $1; height = $2; have_size = 1; next }
{
    gsub(/[ \t\r]/, "")
    while (length($0) > 0) {
        need = width - length(cur)
        cur = cur substr($0, 1, need)
        $0 = substr($0, need + 1)
        if (length(cur) == width) flush_row()
    }
}
function black(x, y) { return substr(row[y], x + 1, 1) == "1" }
# Share of black pixels on the vertical segment x, y0..y1.
function vshare(x, y0, y1,    y, n) {
    n = 0
    for (y = y0; y <= y1; y++) if (black(x, y)) n++
    return n / (y1 - y0 + 1)
}
function hshare(y, x0, x1,    x, n) {
    n = 0
    for (x = x0; x <= x1; x++) if (black(x, y)) n++
    return n / (x1 - x0 + 1)
}
END {
    best = 0
    for (y = 0; y < nrows; y++) {
        r = row[y]; x = 0
        while (x < width) {
            if (substr(r, x + 1, 1) != "1") { x++; continue }
            s = x
            while (x < width && substr(r, x + 1, 1) == "1") x++
            len = x - s
            if (len < 60) continue
            # A square: the same run again about len rows lower, and both
            # sides black in between.
            for (d = -2; d <= 2; d++) {
                yb = y + len - 1 + d
                if (yb >= nrows || yb <= y) continue
                if (hshare(yb, s, x - 1) < 0.98) continue
                if (vshare(s, y, yb) < 0.98 || vshare(x - 1, y, yb) < 0.98) continue
                if (len > best) { best = len; bl = s; bt = y; bb = yb; br = x - 1 }
            }
        }
    }
    if (best == 0) { print "none"; exit }
    # Axes: full black rows and columns strictly inside the frame.
    xa = -1; ya = -1
    for (yy = bt + 2; yy < bb - 1; yy++) if (hshare(yy, bl, br) >= 0.98) ya = yy
    for (xx = bl + 2; xx < br - 1; xx++) if (vshare(xx, bt, bb) >= 0.98) xa = xx
    print bl, bt, best, ya, xa
}
