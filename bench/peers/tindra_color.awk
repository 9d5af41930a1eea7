# Peer of `tindra -c` on files whose entries have no colour columns yet: adds
# the history lines to the header, declares color_r, color_g and color_b after
# the leading TYPE/COL block and appends " 1.000 0.000 0.000" to every body line.
# Usage: mawk -v prog=NAME -f tindra_color.awk FILE.col
BEGIN { state = 0 }    # 0 header, 1 entry text, 2 first body line, 3 body

state == 3 {
    if (substr($0, 1, 12) != "; **********") { print $0 " 1.000 0.000 0.000"; next }
    print
    state = 1
    nt = 0
    next
}
state == 1 {
    text[++nt] = $0
    if (substr($0, 1, 12) == "; ----------") state = 2
    next
}
state == 2 {
    end = substr($0, 1, 12) == "; **********"
    print_text(NF, end)
    if (end) { print; state = 1; nt = 0 } else { print $0 " 1.000 0.000 0.000"; state = 3 }
    next
}
{
    if (substr($0, 1, 12) == "; ==========") {
        print ";"
        print "; '" prog " -c' was run on this file"
        state = 1
        nt = 0
    }
    print
}

# The new declarations go after the leading block; their numbers follow the
# field count of the first body line (0 for an empty body).
function print_text(fields, empty,    i, block) {
    block = 0
    while (block < nt && text[block + 1] ~ /^;[ \t]*(TYPE|COL)/) block++
    for (i = 1; i <= block; i++) print text[i]
    printf "; COL %-3d           color_r\n", empty ? 0 : fields + 1
    printf "; COL %-3d           color_g\n", empty ? 0 : fields + 2
    printf "; COL %-3d           color_b\n", empty ? 0 : fields + 3
    for (i = block + 1; i <= nt; i++) print text[i]
}
