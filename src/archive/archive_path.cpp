// Archive location globals.
#include "archive/archive.h"

char archiveBaseDir[256] = "";
char archiveFileName[256] = "tomblora.salad";
