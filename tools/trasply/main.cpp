#include "trasply.h"

int main(int argc, char** argv) { return trasply::Main(argc, argv); }
