#include "trasply.h"

int main(int argc, char** argv) { return trasply_main(argc, argv); }
