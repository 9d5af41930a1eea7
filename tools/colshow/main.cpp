#include "colshow.h"

int main(int argc, char** argv) { return colshow_main(argc, argv); }
