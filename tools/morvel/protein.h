// The protein module: amino-acid letters and the standard genetic code.
#pragma once

// 1 for the twenty amino-acid letters and "-", either case; else 0.
int IsAmino(int c);

// 1 for the IsAmino letters and the ambiguity letters B Z X; else 0.
int IsAminoExt(int c);

// The amino acid of a codon (bases in reading order, either case, T or U) by
// the standard genetic code; "-" for a stop codon and "." when any base is
// not A, C, G, T or U.
char Nuc2Amino(int first, int second, int third);
