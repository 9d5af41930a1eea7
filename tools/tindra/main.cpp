#include "tindra.h"

int main(int argc, char** argv) { return tindra_main(argc, argv); }
