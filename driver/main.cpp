#include "driver/run_driver.h"

int main(int argc, char** argv) { return morvit::run_morvit(argc, argv); }
