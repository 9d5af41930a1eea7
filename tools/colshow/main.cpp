#include "colshow.h"

int main(int argc, char** argv) { return colshow::Main(argc, argv); }
