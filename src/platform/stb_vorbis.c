/* The stb_vorbis implementation, built once from the system's header. */
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>
