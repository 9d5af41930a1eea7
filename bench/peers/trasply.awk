# Peer of `trasply`: turns entries in line form (one body line per column:
# its print width, then one value per row) into column form, numbering the
# seqpos and alignpos columns where their lines hold only a width. Each body
# line is split into an array of its own (c1 .. c12, so at most 12 columns),
# then every row is printed with one printf.
# Usage: mawk -f trasply.awk FILE.lin
BEGIN { state = 0; MAX = 12 }    # state: 0 header, 1 entry text, 2 body

state == 0 { print; if (substr($0, 1, 12) == "; ==========") start_entry(); next }
state == 1 {
    print
    if ($1 == ";" && $2 == "COL" && !(tolower($4) in col)) { col[tolower($4)] = $3 + 0; ncol++ }
    if (substr($0, 1, 12) == "; ----------") state = 2
    next
}
substr($0, 1, 12) != "; **********" { body[++n] = $0; next }
{ convert(); print; start_entry() }

function start_entry() { state = 1; n = 0; ncol = 0; split("", col); split("", body) }

# Column number of a label; an entry without declarations has default columns.
function colno(label) {
    if (ncol) return (label in col) ? col[label] : 0
    if (label == "label") return 1
    if (label == "nucleotide" || label == "aminoacid") return 2
    if (label == "alignpos") return 3
    if (label == "seqpos") return 4
    return 0
}

function convert(    r, s, a, q, j, R, fmt, res, f) {
    if (n > MAX) { print "trasply.awk: more than " MAX " columns" > "/dev/stderr"; exit 1 }
    r = colno("residue"); if (!r) r = colno("nucleotide")
    if (!r) r = colno("aminoacid"); if (!r) r = colno("code")
    s = r ? colno("seqpos") : 0
    a = colno("alignpos")
    R = split(body[r ? r : (a == 1 ? 2 : 1)], res)
    if (a && split(body[a], f) != 1) a = 0
    if (s && s != a && split(body[s], f) != 1) s = 0
    fmt = ""
    for (q = 1; q <= (n <= 6 ? 6 : MAX); q++) {
        load(q, q <= n ? body[q] : "")
        if (q <= n) fmt = fmt " %" (load_width - 1) "s"
    }
    fmt = fmt "\n"
    if (s) number(s, res, R, 0)
    if (a) number(a, res, R, 1)
    # Naming only the arrays in use keeps awk from creating empty elements.
    if (n <= 6)
        for (j = 2; j <= R; j++) printf fmt, c1[j], c2[j], c3[j], c4[j], c5[j], c6[j]
    else
        for (j = 2; j <= R; j++)
            printf fmt, c1[j], c2[j], c3[j], c4[j], c5[j], c6[j], c7[j], c8[j], c9[j], c10[j], c11[j], c12[j]
}

# Splits line q into its own array; load_width is its width field as a number.
function load(q, line) {
    if (q == 1) take(c1, line); else if (q == 2) take(c2, line); else if (q == 3) take(c3, line)
    else if (q == 4) take(c4, line); else if (q == 5) take(c5, line); else if (q == 6) take(c6, line)
    else if (q == 7) take(c7, line); else if (q == 8) take(c8, line); else if (q == 9) take(c9, line)
    else if (q == 10) take(c10, line); else if (q == 11) take(c11, line); else take(c12, line)
}
function take(arr, line) { split(line, arr); load_width = arr[1] + 0 }

# Fills column q with generated numbers: row numbers, or sequence positions
# that skip the gaps of the residue column `res`.
function number(q, res, R, rows) {
    if (q == 1) gen(c1, res, R, rows); else if (q == 2) gen(c2, res, R, rows)
    else if (q == 3) gen(c3, res, R, rows); else if (q == 4) gen(c4, res, R, rows)
    else if (q == 5) gen(c5, res, R, rows); else if (q == 6) gen(c6, res, R, rows)
    else if (q == 7) gen(c7, res, R, rows); else if (q == 8) gen(c8, res, R, rows)
    else if (q == 9) gen(c9, res, R, rows); else if (q == 10) gen(c10, res, R, rows)
    else if (q == 11) gen(c11, res, R, rows); else gen(c12, res, R, rows)
}
function gen(arr, res, R, rows,    j, c) {
    for (j = 2; j <= R; j++) {
        if (rows) arr[j] = j - 1
        else arr[j] = res[j] == "-" ? "." : ++c
    }
}
