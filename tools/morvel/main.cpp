#include "morvel.h"

int main(int argc, char** argv) { return morvel_main(argc, argv); }
