#include "tindra.h"

int main(int argc, char** argv) { return tindra::Main(argc, argv); }
