// Entry point of the demo.
#include "app/app.h"

int main() { return runDemo(); }
