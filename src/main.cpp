#include "app/Application.h"

int main(int argc, char** argv) { return vv::runApplication(argc, argv); }
