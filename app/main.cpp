#include "app/application.h"

int main(int argc, char** argv) { return morvane::RunApplication(argc, argv); }
